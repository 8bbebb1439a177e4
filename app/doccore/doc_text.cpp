#include "app/doccore/doc_text.h"

#include "util/strutil.h"

std::u16string FileTitleOf(std::u16string_view path) {
    const auto slash = path.rfind(u'\\');
    return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

std::u16string BuildDocTitle(std::u16string_view path, bool fullPath, bool modified) {
    std::u16string title = fullPath ? std::u16string(path) : FileTitleOf(path);
    if (modified) title += kModifiedMark;
    return title;
}

std::u16string FormatStatusText(KanjiCode kanjiCode, LineEndType lineEnd) {
    std::u16string text;
    switch (kanjiCode) {
    case KanjiCode::SJIS: text = u"SJIS"; break;
    case KanjiCode::EUC: text = u"EUC"; break;
    case KanjiCode::JIS: text = u"JIS"; break;
    case KanjiCode::Unicode: text = u"UNICODE"; break;
    case KanjiCode::UTF8: text = u"UTF8"; break;
    case KanjiCode::UnicodeNoSig: text = u"UNICODE(no sig.)"; break;
    case KanjiCode::UTF8NoSig: text = u"UTF8(no sig.)"; break;
    case KanjiCode::UTF16BE: text = u"UTF16BE"; break;
    case KanjiCode::UTF16BENoSig: text = u"UTF16BE(no sig.)"; break;
    case KanjiCode::Detect: break;
    }
    switch (lineEnd) {
    case LineEndType::CRLF: text += u", CRLF(\\r\\n)"; break;
    case LineEndType::LF: text += u", LF(\\n)"; break;
    case LineEndType::CR: text += u", CR(\\r)"; break;
    }
    return text;
}

int EditModeForPath(std::u16string_view path, const std::vector<std::u16string>& modePatterns) {
    std::u16string ext;
    if (path.find(u"Temporary Internet Files") != std::u16string_view::npos) {
        ext = u".htm";
    } else {
        const std::u16string name = FileTitleOf(path);
        const auto dot = name.rfind(u'.');
        if (dot != std::u16string::npos) ext = name.substr(dot);
    }
    if (ext.empty()) return -1;
    for (std::size_t i = 0; i < modePatterns.size(); ++i) {
        std::u16string_view rest = modePatterns[i];
        for (;;) {
            const auto semi = rest.find(u';');
            std::u16string_view item = rest.substr(0, semi);
            if (!item.empty() && item.front() == u'*') item.remove_prefix(1);
            if (EqualsNoCase(item, ext)) return int(i);
            if (semi == std::u16string_view::npos) break;
            rest.remove_prefix(semi + 1);
        }
    }
    return -1;
}

std::u16string DefaultSaveName(std::u16string_view docPath, std::u16string_view title, bool replace,
                               std::u16string_view modePatterns) {
    std::u16string name(docPath);
    if (replace && name.empty()) {
        name = title.substr(0, title.find_first_of(u" #%;/\\"));
        if (name.size() == 2 && name[1] == u':') name = FileTitleOf(title);
    }
    if (name.find(u'.') == std::u16string::npos) {
        std::u16string_view ext = modePatterns.substr(0, modePatterns.find(u';'));
        if (!ext.empty() && ext.front() == u'*') ext.remove_prefix(1);
        name += ext;
    }
    return name;
}
