// What the editor does at start-up with the files of its command line:
// hand them to a running editor (single-instance mode, or a file another
// editor already shows) or open them here, and set the working folder.
#pragma once

#include <windows.h>

#include <string>

// The application's side: opening a file, and a new empty file under a name.
class CStartupFileHost {
public:
    virtual ~CStartupFileHost() = default;
    // False when the file could not be opened (the user has been told).
    virtual bool OpenDocumentFile(const std::wstring& path) = 0;
    // A new empty, shown file that will be saved under path.
    virtual bool NewDocumentWithPath(const std::wstring& path) = 0;
};

// Name of the mutex that marks the running editor in single-instance mode.
inline constexpr wchar_t kSingleInstanceMutexName[] = L"UNIQUE_STRING_WENDREL";

// True to go on with start-up. In single-instance mode the first editor
// keeps the mutex (returned in mutex; close it at exit); a later one hands
// its files to the running editor, brings it forward and returns false. It
// never starts another process: when the running editor's view does not
// appear within the retry time, the files it did not take open here.
bool CheckSingleInstance(bool singleInstanceMode, const std::wstring& arguments, HANDLE& mutex);

enum class StartupFiles {
    Stop,     // end start-up: the command line was refused, a file failed, or all went elsewhere
    NewFile,  // no file named: start with a new untitled file
    Opened,   // the named files are open here; nothing more to create
};

// Opens the named files here, except those another editor already shows
// (when nothing is left here, the last of them is activated there and
// start-up stops). Then sets the working folder: "/d", else initialDir when
// no file was named.
StartupFiles ProcessCommandLine(const std::wstring& arguments, CStartupFileHost& host, const std::wstring& initialDir);
