// A text file in one of the KanjiCode encodings, read and written as
// UTF-16 in chunks of 4096 bytes. Partial characters, escape sequences and a
// trailing CR are carried from one chunk to the next, so a CR LF or a
// character split by a chunk boundary reads back whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "textengine/bytestream.h"
#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"
#include "textengine/kanjidetect.h"

class CKanjiTextFile {
public:
    static constexpr size_t kChunkBytes = 4096;

    // No stream yet; code Detect (nothing is written), line end CR LF.
    CKanjiTextFile();
    // Over an open stream that the caller keeps, writing lineEnd.
    CKanjiTextFile(CByteStream* stream, KanjiCode code, LineEndType lineEnd);
    ~CKanjiTextFile();
    CKanjiTextFile(const CKanjiTextFile&) = delete;
    CKanjiTextFile& operator=(const CKanjiTextFile&) = delete;

    // mode "r": opens for reading, shared with everyone, and detects the code
    // (Shift_JIS when nothing tells). mode "w": creates the file, code
    // Detect, so nothing is written until SetKanjiCode. False when it can't
    // be opened.
    bool Open(const char16_t* path, const char* mode);
    // Ends the text (see FinishText) when writing and closes an owned file;
    // false when any write, the flush or the close failed.
    bool Close();

    KanjiCode GetKanjiCode() const { return m_code; }
    void SetKanjiCode(KanjiCode code);
    LineEndType GetLineEndType() const { return m_lineEndType; }
    void SetLineEndType(LineEndType type);
    CByteStream* Stream() const { return m_stream; }
    // A read or write error happened on the stream.
    bool Failed() const { return m_stream && m_stream->Failed(); }
    // Bytes taken from the stream by reading since the last rewind.
    unsigned long long BytesRead() const { return m_bytesRead; }
    // The system error of an owned file's failure (0 when none or unknown).
    int Error() const { return m_file ? m_file->Error() : 0; }
    // Bytes read since the last rewind that decoded to nothing (each read as '?').
    unsigned long long UndecodedBytes() const { return m_decoder.UndecodedBytes(); }
    // Characters written as '?' for want of a form in the code, and the
    // index of the first among all units written (-1 when none).
    unsigned long long ReplacedChars() const { return m_encoder.ReplacedChars(); }
    long long FirstReplacedUnit() const { return m_encoder.FirstReplacedUnit(); }

    // The UTF-16 text of the next chunk, NUL-terminated, with its length in
    // units (U+0000 may occur inside); null at the end of the file. Line
    // breaks stay as they are in the file. Valid until the next read.
    const char16_t* ReadChunk(size_t* length = nullptr);

    // The next line including its line end (LF, CR LF or a lone CR); false
    // at the end of the file.
    bool ReadLine(std::u16string& line);
    // The same into buffer (capacity units, NUL included); a longer line is
    // cut to capacity - 1 units and goes on at the next call. Null at the end
    // of the file or when capacity < 2.
    char16_t* ReadLine(char16_t* buffer, size_t capacity);

    // Converts text to the stream's code and writes it; the first write of
    // Unicode, UTF16BE and UTF8 writes the signature first. False on a write error.
    bool WriteText(const char16_t* text);
    bool WriteText(const char16_t* text, size_t n);
    // The line end of the line-end type.
    bool WriteLineEnd();
    // WriteText and WriteLineEnd in one.
    bool WriteLine(const char16_t* text, size_t n);
    // Ends the text (JIS returns to Roman) and flushes the stream.
    bool FinishText();

    // Guesses the code from the first 64 KiB of the file, or returns
    // defaultCode; rewinds the stream.
    KanjiCode DetectKanjiCode(KanjiCode defaultCode);
    // The line end of the first line end in the file under the current code
    // (CR LF when there is none; LF for EUC-JP and JIS); kept as the line-end
    // type. Rewinds the stream.
    LineEndType DetectLineEnd();

private:
    void ResetReading();
    bool Write(const char16_t* text, size_t n, bool lineEnd);
    bool FillChunk();
    bool Rewind();

    CByteStream* m_stream = nullptr;
    std::unique_ptr<CFileStream> m_file;  // when opened by path
    bool m_writing = false;
    KanjiCode m_code = KanjiCode::Detect;
    bool m_codeKnown = false;  // one of the nine encodings
    LineEndType m_lineEndType = LineEndType::CRLF;
    char16_t m_lineEnd[3] = {u'\r', u'\n', 0};
    size_t m_lineEndLength = 2;

    // Reading.
    CKanjiDecoder m_decoder;
    std::vector<uint8_t> m_raw;        // carried bytes, then a chunk
    size_t m_carry = 0;
    std::vector<char16_t> m_text;      // decoded chunk
    size_t m_textLength = 0;
    size_t m_cursor = 0;               // ReadLine's position in m_text
    char16_t m_heldUnit = 0;           // CR or high surrogate that ended a chunk
    std::u16string m_lineRest;         // what a cut ReadLine left
    unsigned long long m_bytesRead = 0;
    bool m_started = false;            // signature handled
    bool m_eof = false;

    // Writing.
    CKanjiEncoder m_encoder;
    std::vector<uint8_t> m_out;
    bool m_signatureDone = false;
    bool m_unfinished = false;  // written to since the last FinishText
};
