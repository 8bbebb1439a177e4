#include "editctrl/syntax/editmode.h"

#include "util/strutil.h"
#include "editctrl/syntax/syntax_files.h"

#include <string>

namespace {

std::u16string Number(int n) {
    std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

bool StartsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

std::u16string_view TrimLineEnd(std::u16string_view line) {
    while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n' || line.back() == u' '))
        line.remove_suffix(1);
    return line;
}

bool IsSkipped(std::u16string_view trimmed) { return trimmed.empty() || StartsWith(trimmed, u"//"); }

bool IsTrue(std::u16string_view value) { return value == u"TRUE"; }

}  // namespace

// ---- edit-mode list ----

const std::vector<EditModeListLine>& BuiltinEditModeList() {
    static const std::vector<EditModeListLine> lines = {
        {1, u"Text,Txt,<text>,*.txt"},
        {2, u"Html,Html,<html>,*.htm;*.html;*.shtml"},
        {3, u"C++,C++,<cpp>,*.cpp;*.c;*.h"},
        {4, u"Java,Java,<java>,*.java"},
        {5, u"Perl,Perl,<perl>,*.cgi;*.pl"},
        {6, u"SQL,SQL,<sql>,*.sql"},
    };
    return lines;
}

bool CEditModeTable::LoadEditModeList(std::u16string_view settingsDir, std::u16string& message) {
    m_entries.clear();
    m_settingsDir.assign(settingsDir);
    std::u16string listPath = JoinPath(settingsDir, u"languages.txt");
    if (!IsExistingFile(listPath)) listPath = JoinPath(settingsDir, u"languages_default.txt");
    if (!IsExistingFile(listPath)) return ParseEditModeList(settingsDir, BuiltinEditModeList(), u"", message);

    TextLines raw;
    if (!ReadTextFileLines(listPath, raw)) {
        message = u"言語設定ファイルが開けません(" + listPath + u")";
        return false;
    }
    std::vector<EditModeListLine> lines;
    for (std::size_t i = 0; i < raw.Count(); ++i) {
        std::u16string_view text = TrimLineEnd(raw[i]);
        if (!IsSkipped(text)) lines.push_back({int(i + 1), std::u16string(text)});
    }
    return ParseEditModeList(settingsDir, lines, listPath, message);
}

bool CEditModeTable::ParseEditModeList(std::u16string_view settingsDir, const std::vector<EditModeListLine>& lines,
                                       std::u16string_view listName, std::u16string& message) {
    m_entries.clear();
    m_settingsDir.assign(settingsDir);
    if (lines.size() > std::size_t(kMaxModes)) {
        message = u"設定可能な編集モードの最大数を超えています";
        return false;
    }
    for (const auto& line : lines) {
        std::u16string_view rest = line.text;
        CEditModeEntry entry;
        std::u16string* fields[] = {&entry.name, &entry.shortName, &entry.language, &entry.patterns};
        bool bad = false;
        for (std::u16string* field : fields) {
            GetCsvField(rest, *field, u',');
            if (field->empty()) bad = true;
        }
        if (bad) {
            m_entries.clear();
            message = u"言語設定ファイルの書式が不正です(行：" + Number(line.number) + u")";
            return false;
        }
        if (entry.language[0] != u'<') entry.language = JoinPath(settingsDir, entry.language);
        entry.settingsDir.assign(settingsDir);
        m_entries.push_back(std::move(entry));
    }
    if (m_entries.empty()) {
        message = u"言語設定ファイルに設定がありません(" + std::u16string(listName) + u")";
        return false;
    }
    return true;
}

int CEditModeTable::FindEditMode(std::u16string_view name) const {
    if (EqualsNoCase(name, u"txt")) name = u"text";
    else if (EqualsNoCase(name, u"cpp")) name = u"c++";
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (EqualsNoCase(m_entries[i].name, name)) return int(i);
    return -1;
}

std::u16string CEditModeTable::MakeEditModeMenuText(int index) const {
    if (m_entries.empty()) return {};
    if (index < 0 || index >= Count()) index = 0;
    return u"編集モードを" + m_entries[std::size_t(index)].name + u"にする";
}

int CEditModeTable::MakeEditModeFileFilter(std::u16string& filter) const {
    auto pair = [&filter](std::u16string_view description, std::u16string_view patterns) {
        filter.append(description);
        filter += u'\0';
        filter.append(patterns);
        filter += u'\0';
    };
    pair(u"すべてのファイル (*.*)", u"*.*");
    for (const auto& e : m_entries) pair(e.name + u"ファイル(" + e.patterns + u")", e.patterns);
    return 1 + Count();
}

// ---- languages ----

void LoadBuiltinLanguage(std::u16string_view tag, std::u16string_view settingsDir, CStrToken& token) {
    static constexpr char16_t kCodeBreaks[] = u" ,.:;(){}[]'\"=><-|&*+-/%!^";
    static constexpr char16_t kCodeOperators[] = u"=!&|^~*/+-%<>;:.,(){}[]";
    const char16_t* keywordFile = nullptr;
    if (tag == u"<text>") {
        token.SetKeywordNocase(true);
        token.SetBreakChars(kCodeBreaks);
        token.SetBracketChars(u"]>)}");
        keywordFile = u"text.txt";
    } else if (tag == u"<cpp>" || tag == u"<java>") {
        token.SetKeywordNocase(false);
        token.SetBreakChars(kCodeBreaks);
        token.SetOperatorChars(kCodeOperators);
        token.SetOpenComment(u"/*");
        token.SetCloseComment(u"*/");
        token.AddRowComment(u"//");
        token.SetQuoteChars(u"\"'");
        token.SetEscapeChar(u'\\');
        if (tag == u"<cpp>") {
            token.SetBracketChars(u")}]");
            keywordFile = u"cpp.txt";
        } else {
            token.SetBracketChars(u")}");
            keywordFile = u"java.txt";
        }
    } else if (tag == u"<sql>") {
        token.SetKeywordNocase(true);
        token.SetBreakChars(u" ,;'\".%()=><");
        token.SetOperatorChars(u"=!*/+-%;.,(){}:");
        token.SetOpenComment(u"/*");
        token.SetCloseComment(u"*/");
        token.AddRowComment(u"--");
        token.SetQuoteChars(u"'");
        token.SetBracketChars(u")");
        keywordFile = u"sql.txt";
    } else if (tag == u"<perl>") {
        token.SetKeywordNocase(false);
        token.SetBreakChars(u" ,.:;(){}[]'\"=><-&|*+-/%");
        token.SetOperatorChars(kCodeOperators);
        token.AddRowComment(u"#");
        token.SetQuoteChars(u"\"'");
        token.SetBracketChars(u")}");
        token.SetEscapeChar(u'\\');
        token.SetLanguageKeywordChars(u"$%@");
        keywordFile = u"perl.txt";
    } else if (tag == u"<html>") {
        token.SetKeywordNocase(true);
        token.SetBreakChars(u" ,.:;(){}[]\"=></");
        token.SetOperatorChars(u"=/<>");
        token.SetOpenComment(u"<!--");
        token.SetCloseComment(u"-->");
        token.SetQuoteChars(u"\"");
        token.SetBracketChars(u">)}");
        token.SetTagLanguageMode(true);
        keywordFile = u"html.txt";
    }
    if (keywordFile) {
        std::u16string ignored;  // a built-in language works without its keywords
        token.initDefaultKeyword(JoinPath(settingsDir, keywordFile), ignored);
    }
}

bool LoadLanguageSettings(CEditModeEntry& entry, CStrToken& token, std::u16string& message) {
    token.Reset();
    if (StartsWith(entry.language, u"<")) {
        LoadBuiltinLanguage(entry.language, entry.settingsDir, token);
        return true;
    }
    TextLines lines;
    if (!ReadTextFileLines(entry.language, lines)) {
        message = u"言語設定ファイルが開けません(" + entry.language + u")";
        return false;
    }
    return ApplyLanguageSettings(entry, token, lines, entry.language, message);
}

bool ApplyLanguageSettings(CEditModeEntry& entry, CStrToken& token, const TextLines& lines,
                           std::u16string_view fileName, std::u16string& message) {
    token.Reset();
    std::u16string keywordFile;
    std::u16string key;
    for (std::size_t n = 0; n < lines.Count(); ++n) {
        std::u16string_view line = TrimLineEnd(lines[n]);
        if (IsSkipped(line)) continue;
        std::u16string_view value = line;
        if (!GetCsvField(value, key, u':')) key.clear();  // no ':' is as bad as an unknown key
        if (key == u"KeywordNocase") {
            token.SetKeywordNocase(IsTrue(value));
        } else if (key == u"KeywordFile") {
            keywordFile = value.empty() ? std::u16string() : JoinPath(entry.settingsDir, value);
        } else if (key == u"OpenComment") {
            if (!value.empty()) token.SetOpenComment(value);
        } else if (key == u"CloseComment") {
            if (!value.empty()) token.SetCloseComment(value);
        } else if (key == u"RowComment") {
            token.AddRowComment(value);
        } else if (key == u"BreakChars") {
            token.SetBreakChars(value);
        } else if (key == u"OperatorChars") {
            token.SetOperatorChars(value);
        } else if (key == u"BracketChars") {
            token.SetBracketChars(value);
        } else if (key == u"QuoteChars") {
            token.SetQuoteChars(value);
        } else if (key == u"EscapeChar") {
            if (!value.empty()) token.SetEscapeChar(value[0]);
        } else if (key == u"LanguageKeywordChars") {
            token.SetLanguageKeywordChars(value);
        } else if (key == u"CStyleIndent") {
            entry.cStyleIndent = IsTrue(value) ? 1 : 0;
        } else if (key == u"TagLanguageMode") {
            token.SetTagLanguageMode(IsTrue(value));
        } else {
            message = u"言語設定ファイルの書式が不正です\n(ファイル名：" + std::u16string(fileName) + u", 行：" +
                      Number(int(n + 1)) + u")";
            return false;
        }
    }
    std::u16string ignored;
    if (token.initDefaultKeyword(keywordFile, ignored) != 0) {
        message = u"キーワード設定ファイルが開けません(ファイル名：" + keywordFile + u")";
        return false;
    }
    return true;
}
