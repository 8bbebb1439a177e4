#include "textengine/kanjitextfile.h"
#include "textengine/utf16.h"

#include <cstring>
#include <new>
#include <optional>

namespace {

constexpr size_t kWriteSlice = 2048;  // units encoded per pass

}  // namespace

CKanjiTextFile::CKanjiTextFile() {}

CKanjiTextFile::CKanjiTextFile(CByteStream* stream, KanjiCode code, LineEndType lineEnd) : m_stream(stream) {
    SetKanjiCode(code);
    SetLineEndType(lineEnd);
}

CKanjiTextFile::~CKanjiTextFile() { Close(); }

bool CKanjiTextFile::Open(const char16_t* path, const char* mode) {
    Close();
    bool write = mode && mode[0] == 'w';
    // The file object stays after a failure so that Error() can tell why.
    if (write) {
        auto file = std::make_unique<CReplacingFileStream>();
        bool opened = file->Open(path);
        m_file = std::move(file);
        if (!opened) return false;
    } else {
        m_file = std::make_unique<CFileStream>();
        if (!m_file->Open(path, CFileStream::ReadOnly)) return false;
    }
    m_stream = m_file.get();
    m_writing = write;
    m_signatureDone = false;
    if (write) {
        SetKanjiCode(KanjiCode::Detect);
    } else {
        SetKanjiCode(KanjiCode::SJIS);
        SetKanjiCode(DetectKanjiCode(KanjiCode::SJIS));
    }
    return true;
}

bool CKanjiTextFile::Close() {
    bool ok = true;
    if (m_stream && m_unfinished) ok = FinishText();
    if (m_file) {
        if (m_writing) {
            auto* replacing = static_cast<CReplacingFileStream*>(m_file.get());
            if (ok) {
                ok = replacing->Commit();
            } else {
                replacing->Abandon();
            }
        } else {
            ok = m_file->Close() && ok;
        }
    }
    m_stream = nullptr;
    m_writing = false;
    m_signatureDone = false;
    m_unfinished = false;
    ResetReading();
    // The owned file stays until the next Open so that Error() can be asked.
    return ok;
}

void CKanjiTextFile::SetKanjiCode(KanjiCode code) {
    m_code = code;
    m_codeKnown = IsKnownKanjiCode(code);
    m_decoder.Reset(code);
    m_encoder.Reset(code);
}

void CKanjiTextFile::SetLineEndType(LineEndType type) {
    m_lineEndType = type;
    m_lineEnd[0] = type == LineEndType::LF ? u'\n' : u'\r';
    m_lineEnd[1] = type == LineEndType::CRLF ? u'\n' : u'\0';
    m_lineEnd[2] = 0;
    m_lineEndLength = m_lineEnd[1] ? 2 : 1;
}

// ---------------------------------------------------------------- reading

void CKanjiTextFile::ResetReading() {
    m_decoder.Reset(m_code);
    m_carry = 0;
    m_textLength = 0;
    m_cursor = 0;
    m_heldUnit = 0;
    m_bytesRead = 0;
    m_started = false;
    m_eof = false;
    m_lineRest.clear();
}

bool CKanjiTextFile::Rewind() {
    ResetReading();
    return m_stream && m_stream->Rewind();
}

bool CKanjiTextFile::FillChunk() {
    m_textLength = 0;
    m_cursor = 0;
    if (!m_stream) return false;
    if (m_raw.empty()) {
        m_raw.resize(kChunkBytes + 8);
        m_text.resize(kChunkBytes + 16);
    }
    for (;;) {
        if (m_eof && m_carry == 0 && !m_heldUnit) return false;
        if (!m_eof) {
            size_t got = m_stream->Read(m_raw.data() + m_carry, kChunkBytes);
            m_eof = got < kChunkBytes;
            m_carry += got;
            m_bytesRead += got;
        }
        const uint8_t* p = m_raw.data();
        size_t total = m_carry, skip = 0;
        if (!m_started && (total >= 3 || m_eof)) {
            m_started = true;
            if (IsUnicodeCode(m_code) && total >= 2) {
                bool be = IsBigEndianCode(m_code);
                if (p[0] == (be ? 0xFE : 0xFF) && p[1] == (be ? 0xFF : 0xFE)) skip = 2;
            } else if (IsUTF8Code(m_code) && total >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
                skip = 3;
            }
        }
        size_t len = 0;
        if (m_heldUnit) {
            m_text[len++] = m_heldUnit;
            m_heldUnit = 0;
        }
        size_t consumed = 0;
        len += m_decoder.Decode(p + skip, total - skip, m_eof, m_text.data() + len, consumed);
        consumed += skip;
        m_carry = total - consumed;
        if (m_carry) std::memmove(m_raw.data(), m_raw.data() + consumed, m_carry);
        if (!m_eof && len > 0 && (m_text[len - 1] == u'\r' || utf16_is_high_surrogate(m_text[len - 1]))) {
            m_heldUnit = m_text[--len];  // a CR LF or a pair may be split here
        }
        m_text[len] = 0;
        m_textLength = len;
        if (len > 0) return true;
    }
}

const char16_t* CKanjiTextFile::ReadChunk(size_t* length) {
    // What ReadLine has not handed out comes first.
    if (m_cursor < m_textLength) {
        if (m_cursor > 0) {
            std::memmove(m_text.data(), m_text.data() + m_cursor, (m_textLength - m_cursor) * sizeof(char16_t));
            m_textLength -= m_cursor;
            m_text[m_textLength] = 0;
        }
    } else if (!FillChunk()) {
        if (length) *length = 0;
        return nullptr;
    }
    m_cursor = m_textLength;
    if (length) *length = m_textLength;
    return m_text.data();
}

bool CKanjiTextFile::ReadLine(std::u16string& line) {
    line.clear();
    if (!m_lineRest.empty()) {
        line.swap(m_lineRest);
        return true;
    }
    for (;;) {
        if (m_cursor >= m_textLength && !FillChunk()) return !line.empty();
        const char16_t* begin = m_text.data() + m_cursor;
        const char16_t* end = m_text.data() + m_textLength;
        const char16_t* p = begin;
        while (p < end && *p != u'\n' && *p != u'\r') ++p;
        if (p == end) {
            line.append(begin, end);
            m_cursor = m_textLength;
            continue;
        }
        if (*p == u'\n' || p + 1 < end) {
            if (*p == u'\r' && p[1] == u'\n') ++p;
            line.append(begin, p + 1);
            m_cursor = static_cast<size_t>(p + 1 - m_text.data());
            return true;
        }
        // A CR that ends the chunk: the LF may open the next one.
        line.append(begin, end);
        m_cursor = m_textLength;
        if (FillChunk() && m_text[0] == u'\n') {
            line += u'\n';
            m_cursor = 1;
        }
        return true;
    }
}

char16_t* CKanjiTextFile::ReadLine(char16_t* buffer, size_t capacity) {
    if (!buffer || capacity < 2) return nullptr;
    std::u16string line;
    if (!ReadLine(line)) return nullptr;
    size_t k = line.size();
    if (k > capacity - 1) {
        k = capacity - 1;
        // Never cut between CR and LF or between the halves of a pair.
        if (k > 1 && ((line[k - 1] == u'\r' && line[k] == u'\n') || utf16_is_high_surrogate(line[k - 1]))) --k;
        m_lineRest.assign(line, k, std::u16string::npos);
    }
    std::memcpy(buffer, line.data(), k * sizeof(char16_t));
    buffer[k] = 0;
    return buffer;
}

// ---------------------------------------------------------------- writing

bool CKanjiTextFile::WriteText(const char16_t* text) {
    size_t n = 0;
    if (text)
        while (text[n]) ++n;
    return WriteText(text, n);
}

bool CKanjiTextFile::WriteText(const char16_t* text, size_t n) { return Write(text, n, false); }

bool CKanjiTextFile::WriteLineEnd() { return Write(nullptr, 0, true); }

bool CKanjiTextFile::WriteLine(const char16_t* text, size_t n) { return Write(text, n, true); }

bool CKanjiTextFile::Write(const char16_t* text, size_t n, bool lineEnd) {
    if (!m_stream || !m_codeKnown) return false;
    m_unfinished = true;
    bool ok = true;
    if (!m_signatureDone) {
        m_signatureDone = true;
        static const uint8_t le[] = {0xFF, 0xFE}, be[] = {0xFE, 0xFF}, utf8[] = {0xEF, 0xBB, 0xBF};
        if (m_code == KanjiCode::Unicode) ok = m_stream->Write(le, sizeof le);
        if (m_code == KanjiCode::UTF16BE) ok = m_stream->Write(be, sizeof be);
        if (m_code == KanjiCode::UTF8) ok = m_stream->Write(utf8, sizeof utf8);
    }
    constexpr size_t kMaxSliceBytes = (kWriteSlice + 2) * CKanjiEncoder::kMaxBytesPerUnit + 16;
    while (ok) {
        const size_t k = n < kWriteSlice ? n : kWriteSlice;
        const bool last = k == n;
        // Straight into the stream's buffer where it has one; a line's end
        // goes with its last slice.
        const size_t units = k + (last && lineEnd ? m_lineEndLength : 0);
        uint8_t* room = m_stream->WriteRoom(units * CKanjiEncoder::kMaxBytesPerUnit + 16);
        if (!room) {
            if (m_out.empty()) m_out.resize(kMaxSliceBytes);
            room = m_out.data();
        }
        size_t bytes = m_encoder.Encode(text, k, room);
        if (last && lineEnd) bytes += m_encoder.EncodeLineEnd(m_lineEnd, m_lineEndLength, room + bytes);
        if (room == m_out.data()) {
            ok = m_stream->Write(room, bytes);
        } else {
            m_stream->Wrote(bytes);
        }
        if (last) break;
        text += k;
        n -= k;
    }
    return ok && !m_stream->Failed();
}

bool CKanjiTextFile::FinishText() {
    if (!m_stream) return false;
    m_unfinished = false;
    uint8_t tail[16];
    size_t n = m_encoder.Finish(tail);
    bool ok = n == 0 || m_stream->Write(tail, n);
    ok = m_stream->Flush() && ok;
    return ok && !m_stream->Failed();
}

// ---------------------------------------------------------------- detection

KanjiCode CKanjiTextFile::DetectKanjiCode(KanjiCode defaultCode) {
    if (!m_stream || !Rewind()) return defaultCode;
    KanjiCode code = defaultCode;
    try {
        std::vector<uint8_t> head(kDetectBytes);
        size_t n = m_stream->Read(head.data(), head.size());
        code = ::DetectKanjiCode(head.data(), n, defaultCode);
    } catch (const std::bad_alloc&) {
    }
    Rewind();
    return code;
}

LineEndType CKanjiTextFile::DetectLineEnd() {
    std::optional<LineEndType> type;  // the first line end met
    if (m_stream && Rewind()) {
        const bool wide = IsUnicodeCode(m_code), be = IsBigEndianCode(m_code);
        // A file of one long line is read to its end here: large reads, and
        // in byte codes (where no byte of a character is CR or LF) a block
        // is skipped up to its first line end by the library's search.
        const size_t block = 65536;
        std::vector<uint8_t> buf(block);
        bool pendingCR = false;
        size_t n;
        while (!type && (n = m_stream->Read(buf.data(), block)) > 0) {
            const size_t step = wide ? 2 : 1;
            size_t from = 0;
            if (!wide && !pendingCR) {
                const void* lf = std::memchr(buf.data(), '\n', n);
                from = lf ? static_cast<size_t>(static_cast<const uint8_t*>(lf) - buf.data()) : n;
                const void* cr = std::memchr(buf.data(), '\r', from);
                if (cr) from = static_cast<size_t>(static_cast<const uint8_t*>(cr) - buf.data());
            }
            for (size_t i = from; i + step <= n; i += step) {
                unsigned u = !wide ? buf[i] : be ? (buf[i] << 8 | buf[i + 1]) : (buf[i] | buf[i + 1] << 8);
                if (pendingCR) {
                    type = u == '\n' ? LineEndType::CRLF : LineEndType::CR;
                    break;
                }
                if (u == '\n') {
                    type = LineEndType::LF;
                    break;
                }
                pendingCR = u == '\r';
            }
            if (n < block) break;
        }
        if (!type && pendingCR) type = LineEndType::CR;
        Rewind();
    }
    if (!type) type = m_code == KanjiCode::EUC || m_code == KanjiCode::JIS ? LineEndType::LF : LineEndType::CRLF;
    SetLineEndType(*type);
    return *type;
}
