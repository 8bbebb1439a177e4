// OLE for the window code: the thread's OLE initialisation, a drop target
// that hands the drag events of one window to virtual handlers, and a data
// source of global memory blocks that starts a drag with its own drop
// source. Our own small COM objects; each counts its references.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <vector>

// OLE for the calling thread while the object lives.
class COleThread {
public:
    COleThread() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~COleThread() {
        if (ok_) ::OleUninitialize();
    }
    COleThread(const COleThread&) = delete;
    COleThread& operator=(const COleThread&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

class COleDropTarget {
public:
    COleDropTarget() = default;
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    // Registers the window for drops; false when OLE refuses (not
    // initialised on this thread, or the window is taken).
    bool Register(HWND window);
    void Revoke();
    HWND GetWindow() const { return window_; }

    // Points are in the window's client coordinates; keys are MK_ flags.
    virtual DWORD OnDragEnter(IDataObject* data, DWORD keys, POINT point) { return OnDragOver(data, keys, point); }
    virtual DWORD OnDragOver(IDataObject* data, DWORD keys, POINT point) { return DROPEFFECT_NONE; }
    virtual void OnDragLeave() {}
    virtual bool OnDrop(IDataObject* data, DWORD effect, POINT point) { return false; }

private:
    class Sink;
    HWND window_ = nullptr;
    Sink* sink_ = nullptr;
};

// Forwards a drop target's events to a window object of class T.
template <class T>
class DropTargetTmpl : public COleDropTarget {
public:
    explicit DropTargetTmpl(T* owner) : owner_(owner) {}
    ~DropTargetTmpl() override = default;
    DWORD OnDragEnter(IDataObject* data, DWORD keys, POINT point) override {
        return owner_->OnDragOver(data, keys, point);
    }
    DWORD OnDragOver(IDataObject* data, DWORD keys, POINT point) override {
        return owner_->OnDragOver(data, keys, point);
    }
    void OnDragLeave() override { owner_->OnDragLeave(); }
    bool OnDrop(IDataObject* data, DWORD effect, POINT point) override { return owner_->Drop(data, effect, point); }

private:
    T* owner_;
};

// Data offered to a drop target as global memory blocks.
class COleDataSource {
public:
    COleDataSource() = default;
    ~COleDataSource();
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Takes the block (freed with the source).
    void CacheGlobalData(UINT format, HGLOBAL block);
    // Runs the drag loop with the left button: the effect of the drop, or
    // DROPEFFECT_NONE when it was cancelled or refused.
    DWORD DoDragDrop(DWORD allowed);
    // The data object itself (a new reference).
    IDataObject* GetDataObject();

private:
    std::vector<std::pair<UINT, HGLOBAL>> blocks_;
};

// A global block locked for reading, with its size.
class CGlobalLock {
public:
    explicit CGlobalLock(HGLOBAL block);
    ~CGlobalLock();
    CGlobalLock(const CGlobalLock&) = delete;
    CGlobalLock& operator=(const CGlobalLock&) = delete;
    const void* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    HGLOBAL block_;
    const void* data_ = nullptr;
    std::size_t size_ = 0;
};

// A movable zero-initialised block holding bytes; null when memory is short.
HGLOBAL GlobalFromBytes(const void* bytes, std::size_t count);
// A copy of a block (for handing data to a receiver that frees it).
HGLOBAL CopyGlobal(HGLOBAL block);
