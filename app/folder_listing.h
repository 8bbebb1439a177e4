// What the file-list tree shows of a folder: its sub-folders, then the files
// that match the filter, each group sorted without regard to case, with the
// shell's small icons. Reading can stop early (a folder too large to list on
// the window's thread) and be cancelled from another thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

struct FolderEntry {
    std::wstring name;
    bool folder = false;
    int icon = -1;
    int openIcon = -1;
};

struct FolderListing {
    std::vector<FolderEntry> entries;  // folders first
    bool complete = true;              // false: more than the limit, or cancelled
};

// Lists folder: its sub-folders (not "." and "..") and, when withFiles, the
// files whose names match filter (";"-separated masks). limit 0 reads all;
// otherwise reading stops, incomplete, past limit entries. cancel, when set,
// stops it too.
FolderListing ReadFolder(const std::wstring& folder, const std::wstring& filter, bool withFiles, size_t limit,
                         const std::atomic<bool>* cancel);

// The shell's small icon and small open icon of a path, from the system
// image list; files are looked up by their extension, once per extension.
class ShellIcons {
public:
    // False when the shell knows no icon for it (the item is then left out).
    bool Lookup(const std::wstring& path, bool folder, int* icon, int* openIcon);
    // Fills the icons of a listing's entries in folder; drops those without.
    void Fill(const std::wstring& folder, std::vector<FolderEntry>& entries, const std::atomic<bool>* cancel);

private:
    std::map<std::wstring, std::pair<int, int>> byExtension_;
};

// The system's small-icon image list (shared; never destroyed by its users).
HIMAGELIST SystemSmallImageList();
