#include "app/profile/setting_ranges.h"

#include <iterator>

#include "textengine/kanjicode.h"

namespace {

using S = CAppSettings;

SettingRange Range(int S::*member, const char16_t* key, int min, int max) { return {member, key, min, max, min}; }

// Spacings are points: beyond 20 the text leaves the window. Font sizes are
// tenths of a point, 6 to 72 points as the font dialog offers them.
const SettingRange kRanges[] = {
    Range(&S::tabStop, u"TABSTOP", 1, 200),
    Range(&S::rowSpace, u"ROW_SPACE", 0, 20),
    Range(&S::charSpace, u"CHAR_SPACE", 0, 20),
    Range(&S::topSpace, u"TOP_SPACE", 0, 20),
    Range(&S::leftSpace, u"LEFT_SPACE", 0, 20),
    Range(&S::bracketsBlinkTime, u"BRACKETS_BLINK_TIME", 0, 5000),
    Range(&S::lineMode, u"LINE_MODE", 0, 2),
    Range(&S::lineLen, u"LINE_LEN", 20, 200),
    Range(&S::indentMode, u"INDENT_MODE", 0, 2),
    // The view divides by it; a nonsense count scrolls the usual 3 rows.
    {&S::wheelScrollRow, u"WHEEL_SCROLL_ROW", 1, 120, 3},
    // Read as unsigned, so a negative count is a huge one.
    {&S::maxMru, u"MAX_MRU", 0, 16, 16},
    Range(&S::defaultLineType, u"DEFAULT_LINE_TYPE", 1, 3),
    Range(&S::fontPoint, u"POINT", 60, 720),
    Range(&S::fontWeight, u"WEIGHT", 0, 1000),
    Range(&S::fontItalic, u"ITALIC", 0, 1),
    Range(&S::tabFontPoint, u"POINT", 60, 720),
};

uint32_t S::*const kColours[] = {
    &S::textColor,        &S::keywordColor,         &S::commentColor,         &S::bgColor,
    &S::penColor,         &S::quoteColor,           &S::searchColor,          &S::selectedColor,
    &S::rulerColor,       &S::operatorColor,        &S::keyword2Color,        &S::imeCaretColor,
    &S::ruledLineColor,   &S::fileTabTextColor,     &S::fileTabActiveBkColor, &S::fileTabNoActiveBkColor,
    &S::fileTabBtnColor,
};

}  // namespace

const SettingRange* SettingRangesBegin() { return std::begin(kRanges); }
const SettingRange* SettingRangesEnd() { return std::end(kRanges); }

const SettingRange* FindSettingRange(int CAppSettings::*member) {
    for (const SettingRange& r : kRanges)
        if (r.member == member) return &r;
    return nullptr;
}

int ClampToRange(const SettingRange& range, int value) {
    if (value < range.min) return range.belowMin;
    return value > range.max ? range.max : value;
}

void ClampSettings(CAppSettings& s) {
    for (const SettingRange& r : kRanges) s.*r.member = ClampToRange(r, s.*r.member);
    // The top byte of a colour is no colour: it would pick a palette entry.
    for (uint32_t S::*colour : kColours) s.*colour &= 0xFFFFFF;
    const CAppSettings defaults;
    if (!IsKnownKanjiCode(KanjiCodeFromNumber(s.defaultKanjiCode).value_or(KanjiCode::Detect)))
        s.defaultKanjiCode = defaults.defaultKanjiCode;
    if (!KanjiCodeFromNumber(s.fileOpenKanjiCode)) s.fileOpenKanjiCode = defaults.fileOpenKanjiCode;
}

KanjiCode DefaultKanjiCodeOf(const CAppSettings& s) {
    const KanjiCode code = KanjiCodeFromNumber(s.defaultKanjiCode).value_or(KanjiCode::SJIS);
    return IsKnownKanjiCode(code) ? code : KanjiCode::SJIS;
}

KanjiCode FileOpenKanjiCodeOf(const CAppSettings& s) {
    return KanjiCodeFromNumber(s.fileOpenKanjiCode).value_or(KanjiCode::Detect);
}

LineEndType DefaultLineEndOf(const CAppSettings& s) {
    return LineEndTypeFromNumber(s.defaultLineType).value_or(LineEndType::CRLF);
}
