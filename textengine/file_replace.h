// The system side of saving a file so that the user's file survives: where a
// save must write (through symbolic links), whether that is a file a save
// may replace, and putting a fully written temporary file in its place.
// Errors are errno values, or kNotRegularFile.
#pragma once

#include <string>

// The save target is a device, a pipe or another thing that is no file.
constexpr int kNotRegularFile = 0x7001;
// A save asked for in an encoding the codec does not know.
constexpr int kUnknownEncoding = 0x7002;

struct SaveTarget {
    std::u16string path;  // the file to write: the end of any symbolic links
    bool exists = false;
    bool hardLinked = false;  // other names share its contents
};

// Follows symbolic links from path to the file a save must write, and
// refuses (returning the error) a folder or anything that is not a regular
// file. 0 on success.
int ResolveSaveTarget(const std::u16string& path, SaveTarget& target);

// Puts the closed file temp in place of target, keeping what the system
// keeps of the target (permissions; on Windows attributes, security and
// creation time through ReplaceFileW, with a plain rename only where that
// fails). 0 on success; on failure the target is as it was.
int ReplaceWithTemp(const std::u16string& temp, const SaveTarget& target);

// Copies the closed file temp over the contents of target, which keeps its
// identity and so every hard link to it; room for the new contents is taken
// before the first byte is overwritten, so a full disk leaves the target as
// it was. 0 on success.
int OverwriteFromTemp(const std::u16string& temp, const SaveTarget& target);
