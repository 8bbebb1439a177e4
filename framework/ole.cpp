#include "framework/ole.h"

#include <shlobj.h>

#include <cstring>

namespace {

// IUnknown of an object with one interface; the object starts with one
// reference and deletes itself at the last Release.
template <class Interface>
class ComObject : public Interface {
public:
    explicit ComObject(const IID& iid) : iid_(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, iid_)) {
            *out = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = ::InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

protected:
    virtual ~ComObject() = default;

private:
    const IID iid_;
    LONG refs_ = 1;
};

}  // namespace

// The COM face of a COleDropTarget.
class COleDropTarget::Sink final : public ComObject<IDropTarget> {
public:
    explicit Sink(COleDropTarget* owner) : ComObject(IID_IDropTarget), owner_(owner) {}
    void Detach() { owner_ = nullptr; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
        Hold(data);
        *effect = owner_ ? owner_->OnDragEnter(data, keys, ToClient(pt)) : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL pt, DWORD* effect) override {
        *effect = owner_ ? owner_->OnDragOver(data_, keys, ToClient(pt)) : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        Hold(nullptr);
        if (owner_) owner_->OnDragLeave();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
        Hold(nullptr);
        // The effect the target answered for this point, if it takes the data.
        const POINT at = ToClient(pt);
        const DWORD chosen = owner_ ? owner_->OnDragOver(data, keys, at) & *effect : DROPEFFECT_NONE;
        *effect = chosen && owner_->OnDrop(data, chosen, at) ? chosen : DROPEFFECT_NONE;
        return S_OK;
    }

private:
    ~Sink() override { Hold(nullptr); }
    // The data of the drag in progress, for DragOver.
    void Hold(IDataObject* data) {
        if (data) data->AddRef();
        if (data_) data_->Release();
        data_ = data;
    }
    IDataObject* data_ = nullptr;
    POINT ToClient(POINTL pt) const {
        POINT p{pt.x, pt.y};
        if (owner_) ::ScreenToClient(owner_->window_, &p);
        return p;
    }
    COleDropTarget* owner_;
};

COleDropTarget::~COleDropTarget() { Revoke(); }

bool COleDropTarget::Register(HWND window) {
    Revoke();
    sink_ = new Sink(this);
    if (FAILED(::RegisterDragDrop(window, sink_))) {
        sink_->Detach();
        sink_->Release();
        sink_ = nullptr;
        return false;
    }
    window_ = window;
    return true;
}

void COleDropTarget::Revoke() {
    if (!sink_) return;
    if (window_) ::RevokeDragDrop(window_);
    // OLE may still hold a reference in a running drag: it reaches nobody.
    sink_->Detach();
    sink_->Release();
    sink_ = nullptr;
    window_ = nullptr;
}

namespace {

class DataObject final : public ComObject<IDataObject> {
public:
    explicit DataObject(const std::vector<std::pair<UINT, HGLOBAL>>& blocks)
        : ComObject(IID_IDataObject), blocks_(blocks) {}

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* fmt, STGMEDIUM* medium) override {
        if (!fmt || !medium) return E_INVALIDARG;
        HGLOBAL block = Find(fmt);
        if (!block) return DV_E_FORMATETC;
        HGLOBAL copy = CopyGlobal(block);
        if (!copy) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* fmt) override {
        return fmt && Find(fmt) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> formats;
        for (const auto& b : blocks_)
            formats.push_back({static_cast<CLIPFORMAT>(b.first), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~DataObject() override = default;
    HGLOBAL Find(const FORMATETC* fmt) const {
        if (!(fmt->tymed & TYMED_HGLOBAL) || fmt->dwAspect != DVASPECT_CONTENT) return nullptr;
        for (const auto& b : blocks_)
            if (b.first == fmt->cfFormat) return b.second;
        return nullptr;
    }
    // The source owns the blocks and outlives the drag loop.
    std::vector<std::pair<UINT, HGLOBAL>> blocks_;
};

class DropSource final : public ComObject<IDropSource> {
public:
    DropSource() : ComObject(IID_IDropSource) {}
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        if (!(keys & MK_LBUTTON)) return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    ~DropSource() override = default;
};

}  // namespace

COleDataSource::~COleDataSource() {
    for (auto& b : blocks_) ::GlobalFree(b.second);
}

void COleDataSource::CacheGlobalData(UINT format, HGLOBAL block) {
    if (block) blocks_.push_back({format, block});
}

IDataObject* COleDataSource::GetDataObject() { return new DataObject(blocks_); }

DWORD COleDataSource::DoDragDrop(DWORD allowed) {
    IDataObject* data = GetDataObject();
    IDropSource* source = new DropSource;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT hr = ::DoDragDrop(data, source, allowed, &effect);
    source->Release();
    data->Release();
    return hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

CGlobalLock::CGlobalLock(HGLOBAL block) : block_(block) {
    if (!block_) return;
    data_ = ::GlobalLock(block_);
    if (data_) size_ = ::GlobalSize(block_);
}

CGlobalLock::~CGlobalLock() {
    if (data_) ::GlobalUnlock(block_);
}

HGLOBAL GlobalFromBytes(const void* bytes, std::size_t count) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, count ? count : 1);
    if (!block) return nullptr;
    void* p = ::GlobalLock(block);
    if (!p) {
        ::GlobalFree(block);
        return nullptr;
    }
    if (bytes && count) std::memcpy(p, bytes, count);
    ::GlobalUnlock(block);
    return block;
}

HGLOBAL CopyGlobal(HGLOBAL block) {
    const CGlobalLock lock(block);
    return lock.data() ? GlobalFromBytes(lock.data(), lock.size()) : nullptr;
}
