// The values each numeric setting may take: one table read by the settings
// record (a value out of range in wendrel.ini is clamped when read) and by
// the option pages (a number typed out of range is refused at OK).
#pragma once

#include "app/profile/app_settings.h"
#include "textengine/kanjicode.h"

struct SettingRange {
    int CAppSettings::*member;
    const char16_t* key;  // for messages and tests
    int min;
    int max;
    int belowMin;  // what a value under min becomes (min for most)
};

// Null for a setting without a range (check boxes, strings).
const SettingRange* FindSettingRange(int CAppSettings::*member);
int ClampToRange(const SettingRange& range, int value);
// The whole table, in the order of the settings record.
const SettingRange* SettingRangesBegin();
const SettingRange* SettingRangesEnd();

// Every ranged value into its range, colours to their 24 bits, encodings
// and line ends to ones the file codec knows (else their defaults).
void ClampSettings(CAppSettings& settings);

// The record's encodings as codes, checked as ClampSettings checks them:
// DEFAULT_KANJI_CODE is one of the nine encodings (else Shift_JIS), and
// FILE_OPEN_KANJI_CODE one of them or Detect (else Detect).
KanjiCode DefaultKanjiCodeOf(const CAppSettings& settings);
KanjiCode FileOpenKanjiCodeOf(const CAppSettings& settings);
// DEFAULT_LINE_TYPE as a line end (CR LF when the number is none).
LineEndType DefaultLineEndOf(const CAppSettings& settings);
