// The regex engine's view of a text made of lines, for any host that keeps
// its lines as NUL-terminated UTF-16 texts: the end of every line but the
// last reads as one "\n", whatever the line end was. The text buffer, the
// grep worker and RegexTextLines (below) fill their RegexTextOps from here.
//
// Lines must provide:
//   int LineCount() const;
//   const char16_t* LineText(int line, int* length) const;  // 0 <= line < count
#pragma once

#include <string>
#include <vector>

#include "textengine/regex/regex.h"
#include "textengine/utf16.h"

template <class Lines>
struct RegexLineHost {
    static const Lines& L(void* host) { return *static_cast<const Lines*>(host); }
    static bool IsLast(const Lines& lines, int line) { return line >= lines.LineCount() - 1; }

    static const char16_t* CharAt(void* host, RegexPos pos) {
        const Lines& lines = L(host);
        if (pos.line < 0 || pos.line >= lines.LineCount()) return u"";
        int length;
        const char16_t* text = lines.LineText(pos.line, &length);
        if (pos.col >= length) return IsLast(lines, pos.line) ? text + length : u"\n";
        return text + (pos.col < 0 ? 0 : pos.col);
    }

    static const char16_t* GetLine(void* host, int line, int* length) {
        const Lines& lines = L(host);
        *length = 0;
        if (line >= lines.LineCount()) return nullptr;
        if (line < 0) return u"";
        const char16_t* text = lines.LineText(line, length);
        if (*length == 0 && !IsLast(lines, line)) return u"\n";
        return text;
    }

    static const char16_t* Next(void* host, RegexPos* pos) {
        const Lines& lines = L(host);
        int length = 0;
        const char16_t* text = pos->line >= 0 && pos->line < lines.LineCount() ? lines.LineText(pos->line, &length) : u"";
        if (pos->col < length) {
            pos->col += pos->col + 1 < length && utf16_is_pair(text + pos->col) ? 2 : 1;
        } else if (!IsLast(lines, pos->line)) {
            ++pos->line;
            pos->col = 0;
        } else {
            pos->col = length;
        }
        return CharAt(host, *pos);
    }

    static const char16_t* Previous(void* host, RegexPos* pos) {
        const Lines& lines = L(host);
        if (pos->col <= 0) {
            if (pos->line <= 0) return nullptr;
            --pos->line;
            int length;
            lines.LineText(pos->line, &length);
            pos->col = length;
            return CharAt(host, *pos);
        }
        int length;
        const char16_t* text = lines.LineText(pos->line, &length);
        if (pos->col > length) pos->col = length;
        pos->col -= utf16_units_before(text, std::size_t(pos->col));
        return text + pos->col;
    }

    static int NextLineStart(void* host, RegexPos* pos) {
        if (pos->line + 1 >= L(host).LineCount()) return 0;
        ++pos->line;
        pos->col = 0;
        return 1;
    }

    static int Distance(void* host, RegexPos from, RegexPos to) {
        if (from.line == to.line) return to.col - from.col;
        const Lines& lines = L(host);
        int length;
        lines.LineText(from.line, &length);
        int n = length - from.col + 1;
        for (int line = from.line + 1; line < to.line; ++line) {
            lines.LineText(line, &length);
            n += length + 1;
        }
        return n + to.col;
    }

    static int IsLineStart(void*, RegexPos pos) { return pos.col == 0; }

    // Anchors of a selection are left to the host (null: never hold).
    static RegexTextOps Make(const Lines* lines) {
        RegexTextOps ops{};
        ops.host = const_cast<Lines*>(lines);
        ops.char_at = CharAt;
        ops.get_line = GetLine;
        ops.next = Next;
        ops.previous = Previous;
        ops.next_line_start = NextLineStart;
        ops.distance = Distance;
        ops.is_line_start = IsLineStart;
        return ops;
    }
};

// A whole text held as lines for the engine, for tools and tests that have
// a text rather than a buffer: split where it lies, every line end (CR LF,
// LF or a lone CR) turned into a terminator, so no line is copied.
class RegexTextLines {
public:
    explicit RegexTextLines(std::u16string text) : m_text(std::move(text)) {
        int start = 0;
        const int n = static_cast<int>(m_text.size());
        for (int i = 0; i < n; ++i) {
            const char16_t c = m_text[static_cast<size_t>(i)];
            if (c != u'\r' && c != u'\n') continue;
            m_starts.push_back(start);
            m_lengths.push_back(i - start);
            m_text[static_cast<size_t>(i)] = 0;
            if (c == u'\r' && i + 1 < n && m_text[static_cast<size_t>(i) + 1] == u'\n') m_text[static_cast<size_t>(++i)] = 0;
            start = i + 1;
        }
        m_starts.push_back(start);
        m_lengths.push_back(n - start);
    }
    int LineCount() const { return static_cast<int>(m_starts.size()); }
    const char16_t* LineText(int line, int* length) const {
        *length = m_lengths[static_cast<size_t>(line)];
        return m_text.c_str() + m_starts[static_cast<size_t>(line)];
    }
    // Valid while this object lives and is not moved.
    RegexTextOps Ops() const { return RegexLineHost<RegexTextLines>::Make(this); }

private:
    std::u16string m_text;
    std::vector<int> m_starts, m_lengths;
};
