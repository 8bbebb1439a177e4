#include "grep/engine/grep_ordered_files.h"

#include <algorithm>
#include <system_error>

#include "grep/engine/grep_prefilter.h"
#include "textengine/regex/regex.h"

namespace {

constexpr char16_t kCancelledText[] = u"検索を中断しました\n";
constexpr char16_t kSearchFailedText[] = u"正規表現の照合が複雑すぎるため、検索を中断しました\n";

// Files the worker searches alone before helpers start: a small tree is
// done before threads would pay for themselves.
constexpr int kFilesBeforeHelpers = 24;
// Units a helper records of one file; a file with more output is searched
// again by the worker itself, so the memory held stays bounded.
constexpr std::size_t kRecordUnits = std::size_t(1) << 16;
// Recorded units not yet written past which helpers take no new file: when
// the worker's writing is what holds the search up, running further ahead
// only spreads the records over more memory than the caches hold.
constexpr std::size_t kAheadUnits = std::size_t(1) << 18;
constexpr unsigned kMostHelpers = 8;
// Files waiting before a sleeping helper is woken.
constexpr std::size_t kWakeForFiles = 16;
// How many entries on the worker waits for when it must wait.
constexpr std::size_t kWakeAfter = 32;

void Write(GrepParams& p, const std::u16string& text) {
    if (p.resultView) p.resultView->Append(text);
}

// Writes straight to the result view: a hit is written, counted and
// followed by a look at the progress dialog.
class ViewSink : public GrepFileSink {
public:
    explicit ViewSink(GrepParams& p) : p_(p) {}
    int Hit(const std::u16string& line) override {
        Write(p_, line);
        ++p_.hitCount;
        return GrepPoll(p_);
    }
    void Error(const std::u16string& line) override { Write(p_, line); }

private:
    GrepParams& p_;
};

}  // namespace

int GrepPoll(GrepParams& p) {
    if (!p.progress) return GREP_DONE;
    for (;;) {
        const int state = p.progress->QueryState();
        if (state == GrepProgress::kPaused) {
            p.progress->PauseWait();
            continue;
        }
        if (state == GrepProgress::kCancelled) {
            SetGrepMessage(p, kCancelledText);
            return GREP_CANCELLED;
        }
        return GREP_DONE;
    }
}

void SetGrepMessage(GrepParams& p, std::u16string text) {
    if (text.size() > std::size_t(kGrepMessageUnits - 1)) text.resize(kGrepMessageUnits - 1);
    p.messageText = std::move(text);
}

GrepOrderedFiles::GrepOrderedFiles(GrepParams& p, GrepFileSystem& fs, CompiledRegex* pattern, int regexFlags,
                                   const GrepPrefilter* prefilter)
    : p_(p), fs_(fs), pattern_(pattern), regexFlags_(regexFlags), prefilter_(prefilter) {
    mayHelp_ = pattern && p.threads != 1 && fs.ReadsOnAnyThread() && std::thread::hardware_concurrency() > 1;
}

GrepOrderedFiles::~GrepOrderedFiles() {
    stop_ = true;
    Wake(work_, true);
    for (std::thread& t : helpers_) t.join();
}

// Takes the lock between the change a sleeper waits for and the notice, so
// a thread about to sleep either sees the change or gets the notice.
void GrepOrderedFiles::Wake(std::condition_variable& cv, bool all) {
    { std::lock_guard<std::mutex> lock(mutex_); }
    if (all)
        cv.notify_all();
    else
        cv.notify_one();
}

// Wakes a sleeping helper once a few files wait for one: waking one per
// file would cost more than the files do.
void GrepOrderedFiles::WakeHelperForMore() {
    if (idle_.load() > 0 && end_.load() - claim_.load() >= kWakeForFiles && ahead_.load() <= kAheadUnits / 4)
        Wake(work_, false);
}

int GrepOrderedFiles::File(const std::u16string& path) {
    if (helpers_.empty()) {
        if (!mayHelp_ || ++files_ <= kFilesBeforeHelpers) return SearchHere(path);
        StartHelpers();
        if (helpers_.empty()) {
            mayHelp_ = false;
            return SearchHere(path);
        }
    }
    return Add(kFile, path);
}

int GrepOrderedFiles::FolderStatus(const std::u16string& folder) {
    if (!p_.progress) return GREP_DONE;
    return Add(kStatus, u"フォルダ: " + folder);
}

int GrepOrderedFiles::Error(const std::u16string& line) { return Add(kError, line); }

int GrepOrderedFiles::Finish() {
    if (idle_.load() > 0) Wake(work_, true);
    if (const int result = Drain(0)) return result;
    for (const Line& line : pending_) WriteLine(line);
    pending_.clear();
    return GREP_DONE;
}

int GrepOrderedFiles::Add(Kind kind, const std::u16string& text) {
    if (kind != kFile) {
        if (helpers_.empty()) return WriteLine(Line{kind, text});
        pending_.push_back(Line{kind, text});
        return GREP_DONE;
    }
    if (const int result = Drain(kRing - 1)) return result;  // a free place
    const std::size_t n = end_.load(std::memory_order_relaxed);
    Entry& e = ring_[n % kRing];
    e.before.swap(pending_);
    pending_.clear();
    e.path = text;
    GiveBack(std::move(e.record));
    e.result = GREP_DONE;
    e.redo = false;
    e.state.store(kWaiting, std::memory_order_relaxed);
    end_.store(n + 1);  // hands the entry over
    WakeHelperForMore();
    return Drain(kRing);
}

// Writes the entries at the front that are done, and more (waiting for
// them, or searching them here) while over keep are unwritten.
int GrepOrderedFiles::Drain(std::size_t keep) {
    const std::size_t end = end_.load(std::memory_order_relaxed);
    while (front_ < end) {
        Entry& e = ring_[front_ % kRing];
        if (e.state.load(std::memory_order_acquire) != kDone) {
            if (end - front_ <= keep) break;
            std::size_t unclaimed = front_;
            if (claim_.compare_exchange_strong(unclaimed, front_ + 1)) {
                e.redo = true;  // every helper is busy: search it here
            } else {
                // Waking for each file would cost more than searching it:
                // wait for a file further on, when a helper has it, and
                // then write all that is done before it.
                std::size_t target = std::min(end, front_ + kWakeAfter) - 1;
                if (target >= claim_.load() || ring_[target % kRing].state.load() == kDone) target = front_;
                Entry& t = ring_[target % kRing];
                std::unique_lock<std::mutex> lock(mutex_);
                waitFor_ = target;
                done_.wait(lock, [&] { return t.state.load() == kDone; });
                waitFor_ = ~std::size_t(0);
                continue;
            }
        }
        const int result = WriteOut(e);
        ++front_;
        if (result != GREP_DONE) return result;
    }
    return GREP_DONE;
}

int GrepOrderedFiles::WriteLine(const Line& line) {
    if (line.kind == kStatus)
        p_.progress->SetStatus(1, line.text);
    else
        Write(p_, line.text);
    return GREP_DONE;
}

int GrepOrderedFiles::WriteOut(Entry& e) {
    for (const Line& line : e.before) WriteLine(line);
    std::unique_ptr<Record> record = std::move(e.record);
    int result = e.result;
    if (!e.redo && p_.progress) p_.progress->SetStatus(2, FileStatus(e.path));
    if (record) {
        for (std::size_t i = 0, from = 0; !e.redo && i < record->ends.size(); ++i) {
            line_.assign(record->lines, from, record->ends[i] - from);
            from = record->ends[i];
            Write(p_, line_);
            if (record->hits[i]) {
                ++p_.hitCount;
                if (GrepPoll(p_) != GREP_DONE) {
                    result = GREP_CANCELLED;
                    break;
                }
            }
        }
        const std::size_t units = record->lines.size();
        GiveBack(std::move(record));
        // Helpers held back by the records waiting may go on.
        if (ahead_.fetch_sub(units) > kAheadUnits / 4 && ahead_.load() <= kAheadUnits / 4 && idle_.load() > 0)
            Wake(work_, true);
    }
    if (e.redo) return SearchHere(e.path);
    if (result == GREP_SEARCH_FAILED) SetGrepMessage(p_, kSearchFailedText);
    return result;
}

const std::u16string& GrepOrderedFiles::FileStatus(const std::u16string& path) {
    status_.assign(u"ファイル: ");
    status_ += path;
    return status_;
}

// A spare record, or a new one when every record is in use.
std::unique_ptr<GrepOrderedFiles::Record> GrepOrderedFiles::TakeRecord() {
    {
        std::lock_guard<std::mutex> lock(spareMutex_);
        if (!spare_.empty()) {
            std::unique_ptr<Record> record = std::move(spare_.back());
            spare_.pop_back();
            return record;
        }
    }
    return std::make_unique<Record>();
}

void GrepOrderedFiles::GiveBack(std::unique_ptr<Record> record) {
    if (!record) return;
    record->lines.clear();
    record->ends.clear();
    record->hits.clear();
    std::lock_guard<std::mutex> lock(spareMutex_);
    spare_.push_back(std::move(record));
}

int GrepOrderedFiles::SearchHere(const std::u16string& path) {
    if (p_.progress) p_.progress->SetStatus(2, FileStatus(path));
    ViewSink sink(p_);
    const int result = SearchGrepFile(path, GrepFileJob{fs_, p_.encoding, pattern_, prefilter_, scratch_}, sink);
    if (result == GREP_SEARCH_FAILED) SetGrepMessage(p_, kSearchFailedText);
    return result;
}

void GrepOrderedFiles::StartHelpers() {
    spare_.reserve(kRing);  // records never outnumber the ring's places
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned count = std::min(cores > 1 ? cores - 1 : 1u, kMostHelpers);
    for (unsigned i = 0; i < count; ++i) {
        try {
            helpers_.emplace_back([this] { Help(); });
        } catch (const std::system_error&) {
            break;  // fewer helpers, or none: the worker searches the rest
        }
    }
}

// The next file in order that nobody has taken; false when there is none.
bool GrepOrderedFiles::Claim(std::size_t& number) {
    std::size_t c = claim_.load();
    while (c < end_.load())
        if (claim_.compare_exchange_weak(c, c + 1)) {
            number = c;
            return true;
        }
    return false;
}

// Records a helper's findings into a record taken at the first line; stops
// when the search ends or the record outgrows its bound.
class GrepOrderedFiles::RecordSink : public GrepFileSink {
public:
    RecordSink(GrepOrderedFiles& owner, Entry& entry) : owner_(owner), entry_(entry) {}
    int Hit(const std::u16string& line) override {
        if (owner_.stop_ || !Record(line, true)) return GREP_CANCELLED;
        return GREP_DONE;
    }
    void Error(const std::u16string& line) override { Record(line, false); }

private:
    bool Record(const std::u16string& line, bool hit) {
        if (!entry_.record) entry_.record = owner_.TakeRecord();
        GrepOrderedFiles::Record& r = *entry_.record;
        if (entry_.redo || r.lines.size() + line.size() > kRecordUnits) {
            entry_.redo = true;
            return false;
        }
        r.lines += line;
        r.ends.push_back(r.lines.size());
        r.hits.push_back(hit);
        return true;
    }
    GrepOrderedFiles& owner_;
    Entry& entry_;
};

namespace {

struct RegexDeleter {
    void operator()(CompiledRegex* re) const { regex_free(re); }
};

}  // namespace

void GrepOrderedFiles::Help() {
    // A compiled pattern keeps its search state: each thread needs its own.
    std::unique_ptr<CompiledRegex, RegexDeleter> pattern(
        p_.regularExpression ? regex_compile(p_.searchText.c_str(), regexFlags_)
                             : regex_compile_literal(p_.searchText.c_str(), regexFlags_));
    if (!pattern) return;
    GrepScratch scratch;
    const GrepFileJob job{fs_, p_.encoding, pattern.get(), prefilter_, scratch};
    for (;;) {
        std::size_t n;
        if (stop_) return;
        if (ahead_.load() > kAheadUnits || !Claim(n)) {
            std::unique_lock<std::mutex> lock(mutex_);
            ++idle_;
            work_.wait(lock,
                       [&] { return stop_ || (claim_.load() < end_.load() && ahead_.load() <= kAheadUnits); });
            --idle_;
            continue;
        }
        WakeHelperForMore();
        Entry& e = ring_[n % kRing];
        RecordSink sink(*this, e);
        int result;
        try {
            result = SearchGrepFile(e.path, job, sink);
        } catch (...) {  // recording ran out of memory: the worker tries again
            e.redo = true;
            result = GREP_CANCELLED;
        }
        e.result = result;
        if (e.record) ahead_ += e.record->lines.size();
        e.state.store(kDone);
        if (waitFor_.load() == n) Wake(done_, false);
    }
}
