// Byte streams under the text file codec: a file opened by UTF-16 path, a
// file written beside its target and swapped in on commit, and memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <memory>
#include <vector>

class CByteStream {
public:
    virtual ~CByteStream() = default;
    // Reads up to n bytes; fewer only at the end of the stream (or on an
    // error, which Failed() then tells).
    virtual size_t Read(void* buffer, size_t n) = 0;
    // False when not everything could be written.
    virtual bool Write(const void* data, size_t n) = 0;
    // Back to the first byte; false when the stream can't seek.
    virtual bool Rewind() = 0;
    virtual bool Flush() { return true; }
    // Room for up to n bytes written in place, handed over by Wrote; null
    // where bytes go only through Write (or after a failure).
    virtual uint8_t* WriteRoom(size_t n) {
        (void)n;
        return nullptr;
    }
    virtual void Wrote(size_t n) { (void)n; }
    // Length in bytes; -1 when the stream can't tell. Only a hint for sizing.
    virtual long long Size() const { return -1; }
    // A read or write error happened since the stream was opened.
    virtual bool Failed() const { return false; }
};

class CMemoryStream : public CByteStream {
public:
    CMemoryStream() = default;
    explicit CMemoryStream(std::string bytes) : m_bytes(std::move(bytes)) {}
    size_t Read(void* buffer, size_t n) override;
    bool Write(const void* data, size_t n) override;
    bool Rewind() override { m_pos = 0; return true; }
    long long Size() const override { return static_cast<long long>(m_bytes.size()); }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    size_t m_pos = 0;
};

// A buffered file. Errors keep the last system error for Message().
class CFileStream : public CByteStream {
public:
    enum Mode { ReadOnly, Create };

    CFileStream() = default;
    ~CFileStream() override;
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    // ReadOnly shares the file with every other reader and writer and opens
    // only a regular file (a folder, device or pipe fails without waiting);
    // Create makes or empties the file and keeps others out while it is open.
    bool Open(const char16_t* path, Mode mode);
    // Writes what is buffered and closes; false when any write, the flush
    // or the close failed.
    bool Close();
    bool IsOpen() const { return m_fd >= 0; }

    size_t Read(void* buffer, size_t n) override;
    bool Write(const void* data, size_t n) override;
    // Within the write buffer, so up to its size.
    uint8_t* WriteRoom(size_t n) override;
    void Wrote(size_t n) override { m_end += n; }
    bool Rewind() override;
    long long Size() const override;
    // Writes what is buffered.
    bool Flush() override;
    // Flush, then makes the system put the file on disk.
    bool Sync();
    bool Failed() const override { return m_failed; }

    // The system error of the first failure, 0 when none.
    int Error() const { return m_error; }

protected:
    // Creates a file that must not exist yet, for writing.
    bool TryCreate(const std::u16string& path);
    void SetError(int error) { m_failed = true; m_error = error; }

private:
    bool FlushBuffer();
    uint8_t* Buffer();
    void Fail(int error);

    int m_fd = -1;
    bool m_writing = false;
    bool m_failed = false;
    int m_error = 0;
    std::unique_ptr<uint8_t[]> m_buffer;
    size_t m_begin = 0, m_end = 0;  // unread bytes, or bytes waiting to be written
};

// Writes a file as a new file in the target's folder and puts it in place
// of the target only on Commit, so a failed save never harms the original.
// A symbolic link is saved through to its target; a folder, device or pipe
// is refused at Open; a hard-linked file is written in place once all of
// the new text is on disk (see file_replace.h).
class CReplacingFileStream : public CFileStream {
public:
    ~CReplacingFileStream() override;
    bool Open(const char16_t* path);
    // Flushes, closes and replaces the target; on failure the temporary file
    // is removed and the target stays as it was.
    bool Commit();
    // Removes the temporary file (also done by the destructor).
    void Abandon();
    const std::u16string& TargetPath() const { return m_target; }

private:
    std::u16string m_target, m_resolved, m_temp;
    bool m_exists = false, m_hardLinked = false;
};

// The one UTF-16 <-> UTF-8 converter for text (the file codec's UTF-8
// without a mark), with the codec's rule for what has no form: a surrogate
// pair is one four-byte character, a lone surrogate (which UTF-8 cannot
// hold) is written as '?', and each byte that is not part of a UTF-8
// character decodes as '?'. NUL is a character like any other: both keep
// embedded NULs. Paths add one rule of their own (below) so that a name's
// bytes survive; PathToUtf8 takes a terminated path and stops at its NUL.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view bytes);
// UTF-16 path to the host's form (UTF-8 on POSIX); for messages and tools.
// U+DC80..U+DCFF standing alone become the bytes 0x80..0xFF (see PathFromHost).
std::string PathToUtf8(const char16_t* path);
// A name as the host gives it (UTF-8 on POSIX) as a path: a byte that is no
// part of valid UTF-8 becomes U+DC00 + the byte, so that PathToUtf8 gives the
// very same bytes back and a name that is not UTF-8 can still be opened.
std::u16string PathFromHost(const std::string& name);
