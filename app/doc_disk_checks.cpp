#include "app/doc_disk_checks.h"

#include <windows.h>

#include <cerrno>

#include "framework/wide.h"
#include "textengine/bytestream.h"
#include "util/file_error_text.h"

DocDiskStamp ReadDiskStamp(const std::wstring& path) {
    DocDiskStamp stamp;
    stamp.taken = true;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
    stamp.exists = true;
    stamp.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.writeTime = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

bool ChangedOnDisk(const DocDiskStamp& taken, const std::wstring& path) {
    if (!taken.taken) return false;
    const DocDiskStamp now = ReadDiskStamp(path);
    // A file removed meanwhile has nothing left to lose.
    if (!now.exists) return false;
    return !taken.exists || now.size != taken.size || now.writeTime != taken.writeTime;
}

bool IsReadOnlyFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

bool IsTooLargeToOpen(long long size) {
    // A 32-bit process has 2 GiB of address space in all; a 64-bit one holds
    // at most INT_MAX characters, at most four bytes each on disk.
    const long long limit = sizeof(void*) == 4 ? (1LL << 31) : 4LL * 0x7FFFFFFF;
    return size > limit;
}

std::wstring OpenFailureReason(const std::wstring& path, int streamError) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ToWide(FileErrorMessage(EISDIR));
    if (streamError == EFBIG) return L"ファイルが大きすぎます。";
    return ToWide(FileErrorMessage(streamError ? streamError : EIO));
}
