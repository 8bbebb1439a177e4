// Documents and their views. A document holds what the program edits; its
// views show it and hear of changes through UpdateAllViews with a hint.
// The single-document template makes the one document, its frame and its
// view, in that order, and gives files to that document afterwards.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "framework/cmdtarget.h"
#include "framework/fwstring.h"
#include "framework/wnd.h"

class CView;
class CFrameWnd;
class CDocTemplate;
class CDC;

class CDocument : public CCmdTarget {
public:
    CDocument() = default;
    ~CDocument() override;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    const CString& GetPathName() const { return pathName_; }
    virtual void SetPathName(const wchar_t* path);
    const CString& GetTitle() const { return title_; }
    // Sets the title and shows it in the frames of the views.
    virtual void SetTitle(const wchar_t* title);

    virtual BOOL IsModified() { return modified_; }
    virtual void SetModifiedFlag(BOOL modified = TRUE) { modified_ = modified != FALSE; }

    // Calls OnUpdate of every view but the sender.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CCmdTarget* hintObject = nullptr);
    const std::vector<CView*>& GetViews() const { return views_; }
    void AddView(CView* view);
    void RemoveView(CView* view);
    CDocTemplate* GetDocTemplate() const { return template_; }

    // Fresh contents; true on success.
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const wchar_t* path);
    virtual BOOL OnSaveDocument(const wchar_t* path);
    // Ends the document: closes its frames (and views) and deletes it.
    virtual void OnCloseDocument();
    // Before the document is closed: false stops the close (the user
    // cancelled, or a save failed).
    virtual BOOL SaveModified();
    // Before the frame closes; the default asks SaveModified.
    virtual BOOL CanCloseFrame(CFrameWnd* frame) { return SaveModified(); }

    bool OnCmdMsg(UINT id, CCmdUI* ui) override { return false; }

private:
    friend class CDocTemplate;
    friend class CSingleDocTemplate;
    CString pathName_;
    CString title_;
    bool modified_ = false;
    std::vector<CView*> views_;
    CDocTemplate* template_ = nullptr;
};

class CView : public CWnd {
public:
    ~CView() override;
    CDocument* GetDocument() const { return document_; }
    // Joins the document (the template does this before creation).
    void SetDocument(CDocument* document);

    // Called once the document has its contents and the frame is about
    // to show; the default updates with no hint.
    virtual void OnInitialUpdate();
    // A change the document announced; the default repaints.
    virtual void OnUpdate(CView* sender, LPARAM hint, CCmdTarget* hintObject);
    virtual void OnDraw(CDC* dc) {}
    // The frame that holds the view.
    CFrameWnd* GetParentFrame() const;

    // The view's commands, then its document's.
    bool OnCmdMsg(UINT id, CCmdUI* ui) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The view owns itself: it goes with its window.
    void PostNcDestroy() override { delete this; }

private:
    CDocument* document_ = nullptr;
};

// What the frame needs to make its view while it is being created.
struct CCreateContext {
    CDocument* document = nullptr;
    std::function<CView*()> newView;
};

class CDocTemplate {
public:
    using DocumentFactory = std::function<CDocument*()>;
    using FrameFactory = std::function<CFrameWnd*()>;
    using ViewFactory = std::function<CView*()>;

    CDocTemplate(UINT resourceId, DocumentFactory doc, FrameFactory frame, ViewFactory view)
        : resourceId_(resourceId), newDocument_(std::move(doc)), newFrame_(std::move(frame)),
          newView_(std::move(view)) {}
    virtual ~CDocTemplate();
    UINT GetResourceId() const { return resourceId_; }
    // path null: a new document. Returns the document, or null when
    // creating or loading failed (nothing half-made stays behind).
    virtual CDocument* OpenDocumentFile(const wchar_t* path, BOOL makeVisible = TRUE) = 0;
    virtual std::vector<CDocument*> GetDocuments() const = 0;
    // The template forgets a document that ends.
    virtual void RemoveDocument(CDocument* document) = 0;

protected:
    CDocument* CreateNewDocument();
    // Creates the frame with the document's view; null on failure.
    CFrameWnd* CreateNewFrame(CDocument* document);
    UINT resourceId_;
    DocumentFactory newDocument_;
    FrameFactory newFrame_;
    ViewFactory newView_;
};

// One document at a time, in one frame with one view.
class CSingleDocTemplate : public CDocTemplate {
public:
    using CDocTemplate::CDocTemplate;
    template <class Doc, class Frame, class View>
    static std::unique_ptr<CSingleDocTemplate> Make(UINT resourceId) {
        return std::make_unique<CSingleDocTemplate>(
            resourceId, [] { return new Doc; }, [] { return new Frame; }, [] { return new View; });
    }
    ~CSingleDocTemplate() override;
    CDocument* OpenDocumentFile(const wchar_t* path, BOOL makeVisible = TRUE) override;
    std::vector<CDocument*> GetDocuments() const override;
    void RemoveDocument(CDocument* document) override;

private:
    CDocument* document_ = nullptr;
};
