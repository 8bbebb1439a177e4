// The encodings of text files, shared by the file codec, the
// detection and every caller that stores them as numbers (INI files, dialogs).
#pragma once

namespace KanjiCode {
enum : int {
    SJIS = 1,
    EUC = 2,
    JIS = 3,
    Unicode = 5,        // UTF-16LE with FF FE
    UTF8 = 6,           // with EF BB BF
    UnicodeNoSig = 7,   // UTF-16LE
    UTF8NoSig = 8,
    Auto = 9,           // detect when reading
    UTF16BE = 10,       // with FE FF
    UTF16BENoSig = 11,
};
}  // namespace KanjiCode

// Codes 5, 7, 10 and 11.
bool IsUnicodeCode(int code);
inline bool IsBigEndianCode(int code) { return code == KanjiCode::UTF16BE || code == KanjiCode::UTF16BENoSig; }
inline bool IsUTF8Code(int code) { return code == KanjiCode::UTF8 || code == KanjiCode::UTF8NoSig; }
// One of the nine encodings (9, "detect", is not one).
bool IsKnownKanjiCode(int code);

// Display names, e.g. "SJIS", "UNICODE(no signature)", "自動判別" for 9; null
// for a number that is no code. The UTF-8 literal is what the window layer shows.
const char* KanjiCodeName(int code);
// "CR+LF(\r\n)", "LF(\n)", "CR(\r)"; null otherwise.
const char* LineEndTypeName(int type);

// The ten codes in display order (the nine encodings, then 9).
extern const int kKanjiCodeOrder[10];
