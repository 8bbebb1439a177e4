// File access of the syntax tables: every path is joined by JoinPath, and
// every language, list and keyword file is read by ReadTextFileLines.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

// dir and name with exactly one separator between them, whether or not dir
// ends in one or name starts with one; an empty dir gives name, and a name
// that is a full path ("C:..." or "\\server...") stands alone.
std::u16string JoinPath(std::u16string_view dir, std::u16string_view name);

// True when path names an existing file that is not a folder.
bool IsExistingFile(std::u16string_view path);

// The lines of a text file, kept in one buffer.
class TextLines {
public:
    TextLines() = default;
    TextLines(std::initializer_list<std::u16string_view> lines) {
        for (auto line : lines) Add(line);
    }
    void Add(std::u16string_view line) {
        m_text.append(line);
        m_ends.push_back(m_text.size());
    }
    // Takes a whole text and cuts it after each LF, CR LF or lone CR.
    void Assign(std::u16string&& text);
    void Clear() {
        m_text.clear();
        m_ends.clear();
    }
    std::size_t Count() const { return m_ends.size(); }
    std::u16string_view operator[](std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : m_ends[i - 1];
        return std::u16string_view(m_text).substr(begin, m_ends[i] - begin);
    }

private:
    std::u16string m_text;
    std::vector<std::size_t> m_ends;
};

// Reads a text file line by line, encoding detected; each line keeps its
// line end. False when the file can't be opened or read.
bool ReadTextFileLines(std::u16string_view path, TextLines& lines);
