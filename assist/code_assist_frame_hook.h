// The main window's side of the completion list: while the list is shown, a
// click on the main window's frame or on another of its child windows, or
// the main window moving or losing the activation to anything but the list,
// closes it; a click on the list itself leaves the main window looking
// active. The hook is a subclass keyed by its owner, removed when the list
// hides and when the owner goes, so nothing outlives the editor control.
#pragma once

#include <windows.h>

class CodeAssistFrameHook {
public:
    class Client {
    public:
        virtual ~Client() = default;
        virtual void CloseAssistWnd() = 0;
        // The list's own window: activating it does not close the list.
        virtual HWND AssistPopup() const = 0;
    };

    explicit CodeAssistFrameHook(Client& client) : m_client(client) {}
    ~CodeAssistFrameHook() { Remove(); }
    CodeAssistFrameHook(const CodeAssistFrameHook&) = delete;
    CodeAssistFrameHook& operator=(const CodeAssistFrameHook&) = delete;

    // Hooks frame (once; a second call while hooked changes nothing).
    bool Install(HWND frame);
    void Remove();
    HWND Frame() const { return m_frame; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR ref);

    Client& m_client;
    HWND m_frame = nullptr;
};
