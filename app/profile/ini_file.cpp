#include "app/profile/ini_file.h"

#include <cerrno>

#include "textengine/bytestream.h"

IniReadResult CPlainIniFile::Read(const std::u16string& path, std::string& bytes) {
    bytes.clear();
    CFileStream file;
    if (!file.Open(path.c_str(), CFileStream::ReadOnly))
        return file.Error() == ENOENT ? IniReadResult::Missing : IniReadResult::Failed;
    char block[16384];
    size_t got;
    while ((got = file.Read(block, sizeof block)) > 0) bytes.append(block, got);
    // A folder opens on POSIX but can't be read.
    return file.Failed() ? IniReadResult::Failed : IniReadResult::Ok;
}

bool CPlainIniFile::Replace(const std::u16string& path, const std::string& bytes) {
    CReplacingFileStream file;
    return file.Open(path.c_str()) && file.Write(bytes.data(), bytes.size()) && file.Commit();
}

std::u16string IniMutexName(std::u16string_view path) {
    std::u16string name(path);
    for (char16_t& c : name)
        if (c == u'\\') c = u'_';
    return name;
}
