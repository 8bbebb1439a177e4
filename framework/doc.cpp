#include "framework/doc.h"

#include <algorithm>

#include "framework/app.h"
#include "framework/frame.h"
#include "framework/gdi.h"

CDocument::~CDocument() {
    for (CView* view : views_) view->SetDocument(nullptr);
    if (template_) template_->RemoveDocument(this);
}

void CDocument::SetPathName(const wchar_t* path) {
    pathName_ = path;
    // The title is the file name part of the path.
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
    SetTitle(name);
}

void CDocument::SetTitle(const wchar_t* title) {
    title_ = title;
    for (CView* view : views_)
        if (CFrameWnd* frame = view->GetParentFrame()) frame->OnUpdateFrameTitle();
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CCmdTarget* hintObject) {
    // A view may leave while others are told; work on a copy.
    std::vector<CView*> views = views_;
    for (CView* view : views)
        if (view != sender && std::find(views_.begin(), views_.end(), view) != views_.end())
            view->OnUpdate(sender, hint, hintObject);
}

void CDocument::AddView(CView* view) {
    if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CDocument::RemoveView(CView* view) { views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end()); }

BOOL CDocument::OnNewDocument() {
    pathName_.Empty();
    modified_ = false;
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const wchar_t* path) {
    modified_ = false;
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const wchar_t* path) {
    modified_ = false;
    return TRUE;
}

void CDocument::OnCloseDocument() {
    // Frames go first (their views with them), then the document.
    std::vector<CFrameWnd*> frames;
    for (CView* view : views_)
        if (CFrameWnd* frame = view->GetParentFrame())
            if (std::find(frames.begin(), frames.end(), frame) == frames.end()) frames.push_back(frame);
    for (CFrameWnd* frame : frames) frame->DestroyWindow();
    delete this;
}

BOOL CDocument::SaveModified() { return TRUE; }

CView::~CView() {
    if (document_) document_->RemoveView(this);
}

void CView::SetDocument(CDocument* document) {
    if (document_ == document) return;
    if (document_) document_->RemoveView(this);
    document_ = document;
    if (document_) document_->AddView(this);
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CCmdTarget*) { Invalidate(TRUE); }

CFrameWnd* CView::GetParentFrame() const {
    for (HWND w = m_hWnd ? ::GetParent(m_hWnd) : nullptr; w; w = ::GetParent(w))
        if (auto* frame = WndCast<CFrameWnd>(w)) return frame;
    return nullptr;
}

bool CView::OnCmdMsg(UINT id, CCmdUI* ui) { return document_ && document_->OnCmdMsg(id, ui); }

LRESULT CView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        CPaintDC dc(m_hWnd);
        OnDraw(&dc);
        return 0;
    }
    case WM_DESTROY:
        if (CFrameWnd* frame = GetParentFrame())
            if (frame->GetActiveView() == this) frame->SetActiveView(nullptr);
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

CDocTemplate::~CDocTemplate() = default;

CDocument* CDocTemplate::CreateNewDocument() {
    CDocument* document = newDocument_();
    if (document) document->template_ = this;
    return document;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* document) {
    CCreateContext context;
    context.document = document;
    context.newView = newView_;
    CFrameWnd* frame = newFrame_();
    if (!frame) return nullptr;
    CWndLifeWatch watch(frame);
    if (!frame->LoadFrame(resourceId_, WS_OVERLAPPEDWINDOW, nullptr, &context)) {
        // A frame whose window was made deleted itself with it.
        if (watch.Alive()) delete frame;
        return nullptr;
    }
    return frame;
}

CSingleDocTemplate::~CSingleDocTemplate() {
    if (document_) {
        document_->template_ = nullptr;
        // Frames are gone by now; the document has nothing left to show.
        delete document_;
    }
}

std::vector<CDocument*> CSingleDocTemplate::GetDocuments() const {
    if (document_) return {document_};
    return {};
}

void CSingleDocTemplate::RemoveDocument(CDocument* document) {
    if (document_ == document) document_ = nullptr;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const wchar_t* path, BOOL makeVisible) {
    if (document_) {
        // The one document takes the file in place of what it held.
        if (!document_->SaveModified()) return nullptr;
        BOOL ok = path ? document_->OnOpenDocument(path) : document_->OnNewDocument();
        if (!ok) return nullptr;
        if (path) document_->SetPathName(path);
        return document_;
    }
    CDocument* document = CreateNewDocument();
    if (!document) return nullptr;
    document_ = document;
    CFrameWnd* frame = CreateNewFrame(document);
    if (!frame) {
        delete document;
        return nullptr;
    }
    CWinApp* app = AfxGetApp();
    if (app && !app->m_pMainWnd) app->m_pMainWnd = frame;
    BOOL ok = path ? document->OnOpenDocument(path) : document->OnNewDocument();
    if (!ok) {
        // Nothing half-made stays: the frame takes its view with it.
        frame->DestroyWindow();
        if (document_ == document) delete document;
        return nullptr;
    }
    if (path)
        document->SetPathName(path);
    else if (document->GetTitle().IsEmpty())
        document->SetTitle(L"無題");
    frame->InitialUpdateFrame(document, makeVisible);
    return document;
}
