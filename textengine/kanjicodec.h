// Conversion between the file encodings and UTF-16, a chunk at a time.
// The decoder leaves an incomplete sequence at the end of a chunk for the
// caller to carry into the next; the encoder keeps the JIS shift state and a
// pending high surrogate between calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "textengine/kanjicode.h"

class CKanjiDecoder {
public:
    explicit CKanjiDecoder(KanjiCode code = KanjiCode::SJIS) { Reset(code); }
    // Back to the initial state (JIS: Roman, shift-in).
    void Reset(KanjiCode code);
    KanjiCode Code() const { return m_code; }

    // Decodes bytes[0, n) into out (room for n + 4 units). Sets consumed to
    // the bytes used; the rest (at most three bytes, an incomplete sequence)
    // must be passed again in front of the next chunk. With atEnd set
    // everything is consumed and an incomplete sequence becomes '?'.
    // Returns the units written. Bytes that map to nothing give one '?' per
    // byte or per pair; nothing is dropped silently. U+0000 is kept.
    size_t Decode(const uint8_t* bytes, size_t n, bool atEnd, char16_t* out, size_t& consumed);
    // Bytes read as '?' since the last Reset because they decode to nothing.
    unsigned long long UndecodedBytes() const { return m_undecoded; }

private:
    size_t DecodeSJIS(const uint8_t* p, size_t n, bool atEnd, char16_t* out, size_t& consumed);
    size_t DecodeEUC(const uint8_t* p, size_t n, bool atEnd, char16_t* out, size_t& consumed);
    size_t DecodeJIS(const uint8_t* p, size_t n, bool atEnd, char16_t* out, size_t& consumed);
    size_t DecodeUTF8(const uint8_t* p, size_t n, bool atEnd, char16_t* out, size_t& consumed);
    size_t DecodeUTF16(const uint8_t* p, size_t n, bool atEnd, char16_t* out, size_t& consumed, bool bigEndian);

    KanjiCode m_code = KanjiCode::SJIS;
    int m_jisState = 1;  // 1 Roman, 2 kanji, 3 half-width katakana
    bool m_shiftOut = false;
    unsigned long long m_undecoded = 0;
};

class CKanjiEncoder {
public:
    explicit CKanjiEncoder(KanjiCode code = KanjiCode::SJIS) { Reset(code); }
    void Reset(KanjiCode code);
    KanjiCode Code() const { return m_code; }

    // Bytes that one UTF-16 unit can become at most, escape sequences included.
    static constexpr size_t kMaxBytesPerUnit = 6;

    // Encodes text[0, n) into out (room for n * kMaxBytesPerUnit + 8 bytes);
    // returns the bytes written. A character with no form in the encoding is
    // written as '?'.
    size_t Encode(const char16_t* text, size_t n, uint8_t* out);
    // Encode for a line end (CR, LF or both), which every code but JIS
    // writes as fixed bytes once no high surrogate waits.
    size_t EncodeLineEnd(const char16_t* lineEnd, size_t n, uint8_t* out) {
        if (m_pendingHigh || m_code == KanjiCode::JIS) return Encode(lineEnd, n, out);
        m_unitsBefore += n;
        for (size_t k = 0; k < n; ++k) {
            const auto b = static_cast<uint8_t>(lineEnd[k]);
            if (!m_wide) {
                *out++ = b;
            } else {
                *out++ = m_bigEndian ? 0 : b;
                *out++ = m_bigEndian ? b : 0;
            }
        }
        return m_wide ? 2 * n : n;
    }
    // Ends the text: a pending lone high surrogate becomes '?', and JIS
    // returns to Roman. Returns the bytes written (at most 8).
    size_t Finish(uint8_t* out);

    // Characters written as '?' since the last Reset because the encoding
    // has no form for them, and the index of the first one among all the
    // units passed to Encode since then (-1 when none).
    unsigned long long ReplacedChars() const { return m_replaced; }
    long long FirstReplacedUnit() const { return m_firstReplaced; }

private:
    void NoteReplaced(unsigned long long unit);
    size_t EncodeUnit(char32_t cp, uint8_t* out);
    size_t EncodeLoneHalf(char16_t u, uint8_t* out);
    size_t EncodeJIS(uint16_t sjis, uint8_t* out);

    KanjiCode m_code = KanjiCode::SJIS;
    bool m_wide = false, m_bigEndian = false;  // UTF-16 out, in which order
    int m_jisState = 1;
    bool m_shiftOut = false;
    char16_t m_pendingHigh = 0;
    bool m_unitReplaced = false;            // the last EncodeUnit wrote '?' for want of a form
    unsigned long long m_unitsBefore = 0;   // units passed to earlier Encode calls
    unsigned long long m_replaced = 0;
    long long m_firstReplaced = -1;
};

// Whole-text helpers (tests, the harness, small files).
std::u16string DecodeText(KanjiCode code, std::string_view bytes);
std::string EncodeText(KanjiCode code, std::u16string_view text);
