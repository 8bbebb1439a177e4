#include "app/folder_listing.h"

#include <shellapi.h>

#include "framework/wide.h"
#include "util/pathutil.h"

FolderListing ReadFolder(const std::wstring& folder, const std::wstring& filter, bool withFiles, size_t limit,
                         const std::atomic<bool>* cancel) {
    FolderListing listing;
    std::vector<std::u16string> folders, files;
    const std::u16string list = ToU16(filter);
    const std::wstring pattern = ToWide(AppendPathElement(ToU16(folder), u"*.*"));
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (cancel && cancel->load()) {
                listing.complete = false;
                break;
            }
            const std::u16string name = AsU16(data.cFileName);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (name != u"." && name != u"..") folders.push_back(name);
            } else if (withFiles && MatchFileExt(name, list)) {
                files.push_back(name);
            }
            if (limit && folders.size() + files.size() > limit) {
                listing.complete = false;
                break;
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    SortFileNames(folders);
    SortFileNames(files);
    listing.entries.reserve(folders.size() + files.size());
    for (const auto& f : folders) listing.entries.push_back({ToWide(f), true});
    for (const auto& f : files) listing.entries.push_back({ToWide(f), false});
    return listing;
}

bool ShellIcons::Lookup(const std::wstring& path, bool folder, int* icon, int* openIcon) {
    std::wstring key;
    if (!folder) {
        const size_t dot = path.rfind(L'.');
        const size_t slash = path.rfind(L'\\');
        key = dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) ? L"" : path.substr(dot);
        for (auto& c : key) c = static_cast<wchar_t>(::towlower(c));
        if (auto it = byExtension_.find(key); it != byExtension_.end()) {
            *icon = it->second.first;
            *openIcon = it->second.second;
            return *icon >= 0;
        }
    }
    // Folders and roots are asked with a trailing backslash; files by
    // their extension alone, which is what their icon depends on.
    std::wstring asked = path;
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    DWORD attributes = 0;
    if (folder) {
        if (asked.empty() || asked.back() != L'\\') asked += L'\\';
    } else {
        flags |= SHGFI_USEFILEATTRIBUTES;
        attributes = FILE_ATTRIBUTE_NORMAL;
    }
    SHFILEINFOW info{};
    const bool found = ::SHGetFileInfoW(asked.c_str(), attributes, &info, sizeof(info), flags) != 0;
    const int closed = found ? info.iIcon : -1;
    SHFILEINFOW open{};
    const bool foundOpen = found && ::SHGetFileInfoW(asked.c_str(), attributes, &open, sizeof(open), flags | SHGFI_OPENICON) != 0;
    *icon = foundOpen ? closed : -1;
    *openIcon = foundOpen ? open.iIcon : -1;
    if (!folder) byExtension_[key] = {*icon, *openIcon};
    return foundOpen;
}

void ShellIcons::Fill(const std::wstring& folder, std::vector<FolderEntry>& entries, const std::atomic<bool>* cancel) {
    std::vector<FolderEntry> kept;
    kept.reserve(entries.size());
    for (FolderEntry& e : entries) {
        if (cancel && cancel->load()) break;
        if (Lookup(ToWide(AppendPathElement(ToU16(folder), ToU16(e.name))), e.folder, &e.icon, &e.openIcon))
            kept.push_back(std::move(e));
    }
    entries.swap(kept);
}

HIMAGELIST SystemSmallImageList() {
    SHFILEINFOW info{};
    return reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L"C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}
