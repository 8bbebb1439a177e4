// The open files of the editor's one document: an ordered list of per-file
// records behind a hidden head record (id 0) that is never closed, and the
// current record, which is never null.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "textengine/edit_data.h"

// The size and last-write time of a file as last read or saved, so that a
// save sees when another program changed it meanwhile.
struct DocDiskStamp {
    bool taken = false;   // false: nothing known (never read or saved)
    bool exists = false;
    unsigned long long size = 0;
    unsigned long long writeTime = 0;
};

// One open file. The window layer derives from it to add the file's
// editing window.
class CDocFileRecord {
public:
    CDocFileRecord(int id, std::u16string path) : id(id), path(std::move(path)) {}
    virtual ~CDocFileRecord() = default;
    CDocFileRecord(const CDocFileRecord&) = delete;
    CDocFileRecord& operator=(const CDocFileRecord&) = delete;

    virtual void ShowEditor(bool show) {}
    virtual bool IsEditorVisible() const { return false; }

    CEditData data;
    int editMode = 0;
    const int id;
    std::u16string path;     // the untitled name for a new file
    KanjiCode kanjiCode = KanjiCode::SJIS;
    LineEndType lineEnd = LineEndType::CRLF;
    bool newFile = false;    // made by New: not saved under a name yet
    // Bytes of the file that could not be decoded at the last load (read
    // as '?'): saving over the file would lose them.
    unsigned long long undecodedBytes = 0;
    // The encoding and line end of the last load or save: a format chosen
    // since is a change to save, and choosing the old one again undoes it.
    KanjiCode savedKanjiCode = KanjiCode::SJIS;
    LineEndType savedLineEnd = LineEndType::CRLF;
    void MarkFormatSaved() { savedKanjiCode = kanjiCode, savedLineEnd = lineEnd; }
    bool IsModified() const { return data.IsModified() || kanjiCode != savedKanjiCode || lineEnd != savedLineEnd; }
    DocDiskStamp diskStamp;
};

class CDocFileList {
public:
    explicit CDocFileList(std::unique_ptr<CDocFileRecord> head);

    CDocFileRecord& Head() { return *m_records.front(); }
    CDocFileRecord& Current() { return *m_current; }
    const CDocFileRecord& Current() const { return *m_current; }
    // Records including the head.
    int Count() const { return int(m_records.size()); }
    const std::vector<std::unique_ptr<CDocFileRecord>>& Records() const { return m_records; }

    CDocFileRecord* FindById(int id) const;
    // Id of the first file whose path equals path exactly; -1 when none.
    int FindByPath(std::u16string_view path) const;

    // Appends at the end (it is not made current).
    void Append(std::unique_ptr<CDocFileRecord> record);
    // Makes the record current: the current editor is hidden, the new one
    // shown once the list holds a real file. Unknown ids change nothing.
    void ActivateById(int id);
    // Destroys the current record (never the head). The record before it
    // becomes current, or, when that is the head, the one after it (the
    // head when none). Returns false for the head.
    bool CloseCurrent();

private:
    std::vector<std::unique_ptr<CDocFileRecord>> m_records;
    CDocFileRecord* m_current;
};
