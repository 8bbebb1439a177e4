// The files of one search, read and searched on helper threads once the
// search has met enough of them, while the worker's own thread writes every
// result in the order the files were met: the same lines, progress lines
// and questions to the progress dialog as when it searches them all itself.
// Folder lines and errors met by the walk wait with the next file so they
// keep their places among the files' results.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "grep/engine/grep_file_search.h"

class GrepPrefilter;

// Waits out a pause; GREP_CANCELLED (with its message) when the user cancels.
int GrepPoll(GrepParams& p);
// Sets the closing or error message, cut to what the message text may hold.
void SetGrepMessage(GrepParams& p, std::u16string text);

class GrepOrderedFiles {
public:
    // pattern belongs to the calling thread; each helper compiles its own
    // from the search's text and flags.
    GrepOrderedFiles(GrepParams& p, GrepFileSystem& fs, CompiledRegex* pattern, int regexFlags,
                     const GrepPrefilter* prefilter);
    ~GrepOrderedFiles();  // stops and joins the helpers; what is unwritten is dropped

    // Each returns GREP_DONE, or the result that ends the search.
    int File(const std::u16string& path);
    int FolderStatus(const std::u16string& folder);
    int Error(const std::u16string& line);
    // Writes all that is still queued.
    int Finish();

private:
    enum Kind { kFile, kStatus, kError };
    enum State { kWaiting, kTaken, kDone };
    struct Line {
        Kind kind;
        std::u16string text;  // the folder or error line
    };
    // A helper's record of a file: its lines back to back, where each ends
    // and whether it is a hit. Records go back to a shared pool once written
    // and keep their memory, so a long search reuses the few that are warm
    // instead of growing (and faulting in) fresh strings for every file.
    struct Record {
        std::u16string lines;
        std::vector<std::size_t> ends;
        std::vector<bool> hits;
    };
    // A place in the ring of files met but not yet written.
    struct Entry {
        std::vector<Line> before;  // folder and error lines met before the file
        std::u16string path;
        std::atomic<int> state{kDone};
        // The file's record (none until its first line) and how the search
        // ended. redo: the record grew too large, so the worker searches the
        // file again.
        std::unique_ptr<Record> record;
        int result = GREP_DONE;
        bool redo = false;
    };
    class RecordSink;
    static constexpr std::size_t kRing = 128;  // how far the helpers may run ahead

    int Add(Kind kind, const std::u16string& text);
    int WriteLine(const Line& line);
    int Drain(std::size_t keep);
    int WriteOut(Entry& e);
    int SearchHere(const std::u16string& path);
    const std::u16string& FileStatus(const std::u16string& path);
    void StartHelpers();
    void Help();
    bool Claim(std::size_t& number);
    void Wake(std::condition_variable& cv, bool all);
    void WakeHelperForMore();
    std::unique_ptr<Record> TakeRecord();
    void GiveBack(std::unique_ptr<Record> record);

    GrepParams& p_;
    GrepFileSystem& fs_;
    CompiledRegex* pattern_;
    int regexFlags_;
    const GrepPrefilter* prefilter_;
    GrepScratch scratch_;
    bool mayHelp_ = false;
    int files_ = 0;
    std::u16string line_;
    std::u16string status_;  // the file's progress line

    // Entries are numbered as met; number n lives in ring_[n % kRing]. The
    // worker fills them (end_) and writes them out (front_); helpers claim
    // files in order (claim_), and the worker claims the front one itself
    // when every helper is busy.
    std::unique_ptr<Entry[]> ring_{new Entry[kRing]};
    std::vector<Line> pending_;  // lines met since the last file
    std::size_t front_ = 0;
    std::atomic<std::size_t> end_{0};
    std::atomic<std::size_t> claim_{0};
    std::atomic<std::size_t> ahead_{0};  // units recorded by helpers, not yet written
    std::atomic<bool> stop_{false};
    // Sleeping and waking only: helpers with nothing to claim, the worker
    // waiting for an entry (waitFor_, or none) to be done.
    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable done_;
    std::atomic<int> idle_{0};
    std::atomic<std::size_t> waitFor_{~std::size_t(0)};
    std::vector<std::thread> helpers_;
    // Written records waiting to be taken again, the last given back on top.
    std::mutex spareMutex_;
    std::vector<std::unique_ptr<Record>> spare_;
};
