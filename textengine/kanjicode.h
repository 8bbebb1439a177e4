// The encodings of text files, shared by the file codec, the detection and
// every caller. The numbers are those stored in settings files and records
// and printed by the harness; they change only through KanjiCodeFromNumber
// and KanjiCodeNumber.
#pragma once

#include <optional>

enum class KanjiCode : int {
    SJIS = 1,
    EUC = 2,
    JIS = 3,
    Unicode = 5,        // UTF-16LE with FF FE
    UTF8 = 6,           // with EF BB BF
    UnicodeNoSig = 7,   // UTF-16LE
    UTF8NoSig = 8,
    Detect = 9,         // no encoding: guess one when reading
    UTF16BE = 10,       // with FE FF
    UTF16BENoSig = 11,
};

// The code stored as n (Detect for 9); none for a number that is no code.
std::optional<KanjiCode> KanjiCodeFromNumber(int n);
inline int KanjiCodeNumber(KanjiCode code) { return static_cast<int>(code); }

// The four UTF-16 codes.
bool IsUnicodeCode(KanjiCode code);
inline bool IsBigEndianCode(KanjiCode code) { return code == KanjiCode::UTF16BE || code == KanjiCode::UTF16BENoSig; }
inline bool IsUTF8Code(KanjiCode code) { return code == KanjiCode::UTF8 || code == KanjiCode::UTF8NoSig; }
// One of the nine encodings (Detect is not one).
bool IsKnownKanjiCode(KanjiCode code);

// How lines end in a file. The numbers are those of settings files and the
// harness, as with KanjiCode.
enum class LineEndType : int { CRLF = 1, LF = 2, CR = 3 };

// The line end stored as n; none for a number that is no line end.
std::optional<LineEndType> LineEndTypeFromNumber(int n);
inline int LineEndTypeNumber(LineEndType type) { return static_cast<int>(type); }

// Display names, e.g. "SJIS", "UNICODE(no signature)", "自動判別" for
// Detect; null for a value that is no code. The UTF-8 literal is what the
// window layer shows.
const char* KanjiCodeName(KanjiCode code);
// "CR+LF(\r\n)", "LF(\n)", "CR(\r)".
const char* LineEndTypeName(LineEndType type);

// The ten codes in display order (the nine encodings, then Detect).
extern const KanjiCode kKanjiCodeOrder[10];
// The three line ends in display order.
extern const LineEndType kLineEndTypes[3];
