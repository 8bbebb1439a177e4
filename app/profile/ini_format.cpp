#include "app/profile/ini_format.h"

#include <climits>
#include <cstdint>

#include "textengine/bytestream.h"
#include "textengine/kanjicode.h"
#include "textengine/kanjidetect.h"
#include "textengine/kanjitextfile.h"

namespace {

bool HasLineBreakOrNul(std::u16string_view s) { return s.find_first_of(std::u16string_view(u"\r\n\0", 3)) != s.npos; }

// Reads bytes line by line in their detected encoding.
class IniLineReader {
public:
    explicit IniLineReader(const std::string& bytes)
        : m_stream(bytes),
          m_file(&m_stream,
                 DetectKanjiCode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), KanjiCode::SJIS),
                 LineEndType::CRLF) {}
    // The next line without its line end; hadEnd tells whether it had one.
    bool Next(std::u16string& line, bool& hadEnd) {
        if (!m_file.ReadLine(line)) return false;
        size_t end = line.size();
        while (end > 0 && (line[end - 1] == u'\r' || line[end - 1] == u'\n')) --end;
        hadEnd = end < line.size();
        line.resize(end);
        return true;
    }

private:
    CMemoryStream m_stream;
    CKanjiTextFile m_file;
};

}  // namespace

std::string Utf16LeFileBytes(const std::u16string& text) {
    CMemoryStream out;
    CKanjiTextFile file(&out, KanjiCode::Unicode, LineEndType::LF);
    file.WriteText(text.data(), text.size());  // writes the signature even for no text
    file.FinishText();
    return out.Bytes();
}

bool IsStorableIniEntry(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) return false;
    if (section.find(u']') != section.npos || section.size() > kIniNameLimit) return false;
    if (key.size() > kIniNameLimit || key.find(u'=') != key.npos) return false;
    return key.empty() || (key[0] != u' ' && key[0] != u'#' && key[0] != u'[');
}

void ParseIniBytes(const std::string& bytes, IniMap& map) {
    IniLineReader reader(bytes);
    std::u16string line, section;
    bool hadEnd;
    while (reader.Next(line, hadEnd)) {
        std::u16string_view text(line);
        text.remove_prefix(std::min(text.find_first_not_of(u' '), text.size()));
        if (text.empty() || text[0] == u'#') continue;
        if (text[0] == u'[') {
            text.remove_prefix(1);
            section.assign(text.substr(0, std::min(text.find(u']'), kIniNameLimit)));
            continue;
        }
        size_t eq = text.find(u'=');
        if (eq == text.npos) continue;
        std::u16string_view key = text.substr(0, std::min(eq, kIniNameLimit));
        std::u16string_view value = text.substr(eq + 1);
        if (IsStorableIniEntry(section, key, value))
            map.emplace(IniKey(section, std::u16string(key)), std::u16string(value));
    }
}

std::string FormatIniBytes(const IniMap& map) {
    std::u16string text;
    const std::u16string* lastSection = nullptr;
    for (const auto& [key, value] : map) {
        const std::u16string& section = key.first;
        if (lastSection ? section != *lastSection : !section.empty()) {
            text += u"\n[";
            text += section;
            text += u"]\n";
        }
        lastSection = &section;
        text += key.second;
        text += u'=';
        text += value;
        text += u'\n';
    }
    return Utf16LeFileBytes(text);
}

int ParseIniInt(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\v' || text[i] == u'\f')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > UINT32_MAX) return negative ? INT_MIN : INT_MAX;
    }
    uint32_t bits = static_cast<uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

std::u16string FormatIniInt(int value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::string ConvertToUtf16LeLf(const std::string& bytes) {
    IniLineReader reader(bytes);
    std::u16string text, line;
    bool hadEnd;
    while (reader.Next(line, hadEnd)) {
        text += line;
        if (hadEnd) text += u'\n';
    }
    return Utf16LeFileBytes(text);
}
