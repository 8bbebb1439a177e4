// sulki's search worker: walks a folder (and its sub-folders when asked),
// picks files by name masks, reads each in the chosen encoding and writes
// one result line per matching line. The result view, the progress dialog
// and the file system are reached through the small interfaces below, so
// the worker runs the same natively and in the Windows program.
#pragma once

#include <functional>
#include <string>

#include "textengine/kanjicode.h"

struct CompiledRegex;

// Result codes of a search (GrepParams::result).
enum GrepResult : int {
    GREP_DONE = 0,
    GREP_CANCELLED = 1,
    GREP_BAD_PATTERN = 2,
    GREP_BAD_MASKS = 3,
    // The regex engine gave up on a line (backtracking stack or step budget):
    // the search stops there, it never passes as "no match".
    GREP_SEARCH_FAILED = 4,
};

// Units the message text may hold, terminator included.
constexpr int kGrepMessageUnits = 1024;

// Line positions are ints: larger files are reported, not read.
constexpr long long kGrepMaxFileBytes = 0x3FFFFFFF;

// Receives the result lines (the main dialog's editor control).
class GrepOutput {
public:
    virtual ~GrepOutput() = default;
    virtual void Append(const std::u16string& text) = 0;
};

// The progress dialog as the worker sees it.
class GrepProgress {
public:
    enum State : int { kRunning = 0, kCancelled = 1, kPaused = 2 };
    virtual ~GrepProgress() = default;
    // Status line 1 (folder) or 2 (file).
    virtual void SetStatus(int line, const std::u16string& text) = 0;
    virtual int QueryState() = 0;
    virtual void Finished(int result) = 0;
    // How long a paused worker waits before asking again.
    virtual void PauseWait();
};

struct GrepDirEntry {
    std::u16string name;
    bool directory = false;
    // A symbolic link, junction or other reparse point that leads elsewhere:
    // never followed, so links can neither loop nor list a file twice.
    bool link = false;
    // A device, pipe or socket: never opened, as reading one could hold the
    // search up for good.
    bool special = false;
};

class GrepFileSystem {
public:
    virtual ~GrepFileSystem() = default;
    virtual char16_t Separator() const = 0;
    // Calls visit for every entry of folder in the file system's order
    // (visit returns false to stop). False, with a reason, when the folder
    // can't be listed.
    virtual bool ListFolder(const std::u16string& folder, const std::function<bool(const GrepDirEntry&)>& visit,
                            std::u16string& reason) = 0;
    // The whole file into bytes, whose buffer is kept from file to file;
    // false with a reason, also for a file that is not a regular file or is
    // larger than kGrepMaxFileBytes (told before anything is read).
    virtual bool ReadFile(const std::u16string& path, std::string& bytes, std::u16string& reason);
    // The file a block at a time in buffer (kept from file to file): take
    // gets each block and whether it is the last; a block but the last ends
    // just after a line end (LF, or a CR with no LF behind it). take returns
    // false to stop. False, with a reason, only when the file can't be read;
    // the same checks as ReadFile. This one hands over the whole file as one
    // block.
    using BlockTaker = std::function<bool(const char* bytes, std::size_t size, bool last)>;
    virtual bool ReadFileBlocks(const std::u16string& path, std::string& buffer, const BlockTaker& take,
                                std::u16string& reason);
    // Whether ReadFile and ReadFileBlocks may run on several threads at
    // once (ListFolder stays on the worker's thread): only then does a
    // search read files on helper threads.
    virtual bool ReadsOnAnyThread() const { return false; }
};

#ifdef __unix__
// The host's folders through POSIX calls. On Windows the program passes the
// Win32 file system (grep/winfs) in GrepParams::fileSystem.
GrepFileSystem& StdGrepFileSystem();
#endif

// Built by the search command, which owns it; the worker fills the out fields.
struct GrepParams {
    GrepOutput* resultView = nullptr;
    std::u16string searchText;
    std::u16string masks;  // ";"-separated (see grep_masks.h); empty = all files
    std::u16string folder;
    bool distinguishCase = true;
    bool distinguishWidth = true;
    bool regularExpression = false;
    bool searchSubfolders = false;
    KanjiCode encoding = KanjiCode::Detect;  // Detect: guessed per file
    GrepProgress* progress = nullptr;
    int hitCount = 0;            // out: matching lines
    std::u16string messageText;  // out: closing or error message
    int result = GREP_DONE;      // out
    GrepFileSystem* fileSystem = nullptr;  // null on Unix: StdGrepFileSystem(); required on Windows
    // Threads that read and search files: 0 as many as the machine has
    // cores (helpers start only once a tree proves large), 1 the worker's
    // own alone. The result lines are the same either way.
    int threads = 0;
};

// The thread's work: searches params.folder and fills the out fields.
int GrepThreadProc(GrepParams& params);

// Searches one folder (and below): a result code.
int GrepFolder(GrepParams& params, const std::u16string& folder);

// Searches one file: GREP_DONE to go on, GREP_CANCELLED or GREP_SEARCH_FAILED.
int GrepFile(const std::u16string& path, GrepParams& params, CompiledRegex* pattern);

// Appends "%s(%d): %s\n" as the result view shows a hit.
void AppendGrepHitLine(std::u16string& out, const std::u16string& path, int lineNumber, const char16_t* text,
                       int length);
