// An in-memory folder tree and recorders for the grep worker's interfaces.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "grep/engine/grep_engine.h"

// Paths use '\' as on Windows; a folder lists its entries in insertion order.
class FakeFileSystem : public GrepFileSystem {
public:
    char16_t Separator() const override { return u'\\'; }

    void AddFile(const std::u16string& path, const std::string& bytes) {
        AddEntry(path, false, false);
        files_[path] = bytes;
    }
    void AddFolder(const std::u16string& path) {
        AddEntry(path, true, false);
        folders_[path];
    }
    // A link whose target has content, so following it would show.
    void AddLink(const std::u16string& path, bool directory) {
        AddEntry(path, directory, true);
        if (directory)
            folders_[path].push_back(GrepDirEntry{u"a.txt", false, false});
        files_[directory ? path + u"\\a.txt" : path] = "x";
    }
    void MakeUnreadable(const std::u16string& path) { unreadable_[path] = true; }
    // Reads only look the maps up, so a test may let them run on helper threads.
    bool ReadsOnAnyThread() const override { return readsOnAnyThread; }
    bool readsOnAnyThread = false;

    bool ListFolder(const std::u16string& folder, const std::function<bool(const GrepDirEntry&)>& visit,
                    std::u16string& reason) override {
        auto it = folders_.find(folder);
        if (it == folders_.end() || unreadable_.count(folder)) {
            reason = u"アクセスが拒否されました。\r\n";
            return false;
        }
        for (const auto& e : it->second)
            if (!visit(e)) break;
        return true;
    }
    bool ReadFile(const std::u16string& path, std::string& bytes, std::u16string& reason) override {
        auto it = files_.find(path);
        if (it == files_.end() || unreadable_.count(path)) {
            reason = u"読み取れません";
            return false;
        }
        bytes = it->second;
        return true;
    }

private:
    void AddEntry(const std::u16string& path, bool directory, bool link) {
        const auto cut = path.rfind(u'\\');
        const std::u16string parent = path.substr(0, cut);
        GrepDirEntry e;
        e.name = path.substr(cut + 1);
        e.directory = directory;
        e.link = link;
        folders_[parent].push_back(e);
    }
    std::map<std::u16string, std::vector<GrepDirEntry>> folders_;
    std::map<std::u16string, std::string> files_;
    std::map<std::u16string, bool> unreadable_;
};

class RecordingOutput : public GrepOutput {
public:
    void Append(const std::u16string& text) override { text_ += text; }
    std::u16string text_;
};

// Answers the state queries from a script; after it runs out: running.
class ScriptedProgress : public GrepProgress {
public:
    void SetStatus(int line, const std::u16string& text) override { status.push_back(std::u16string(1, char16_t(u'0' + line)) + u":" + text); }
    int QueryState() override {
        ++queries;
        if (onQuery) onQuery(queries);
        if (script.empty()) return kRunning;
        const int s = script.front();
        script.erase(script.begin());
        return s;
    }
    void Finished(int result) override { finished.push_back(result); }
    void PauseWait() override { ++pauses; }

    std::vector<int> script;
    std::function<void(int)> onQuery;
    std::vector<std::u16string> status;
    std::vector<int> finished;
    int queries = 0;
    int pauses = 0;
};
