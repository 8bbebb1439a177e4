// What the document asks the file system before it reads or writes a file:
// the stamp that shows another program changed a file since it was read or
// saved, whether a file is read-only, and why an open failed.
#pragma once

#include <string>

#include "app/doccore/doc_file_list.h"

// The file's stamp now; exists is false when there is no file of that name.
DocDiskStamp ReadDiskStamp(const std::wstring& path);

// True when the stamp taken at the last read or save no longer matches the
// file on disk (an unknown stamp never does not match).
bool ChangedOnDisk(const DocDiskStamp& taken, const std::wstring& path);

bool IsReadOnlyFile(const std::wstring& path);

// True when a file of that size cannot be held in memory by this build.
bool IsTooLargeToOpen(long long size);

// The reason an open failed, for the user: the stream's error, with folders
// named as such (the system reports them as access denied).
std::wstring OpenFailureReason(const std::wstring& path, int streamError);
