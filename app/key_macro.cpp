#include "app/key_macro.h"

#include <optional>
#include <utility>

#include "app/file_dialogs.h"
#include "app/base/ini_file_win.h"
#include "app/profile/app_settings.h"
#include "app/resource.h"
#include "framework/cmdtarget.h"
#include "framework/seams.h"
#include "framework/wide.h"

namespace {

// The extra information of every played key; the last one's tells that the
// editor has taken all of them.
constexpr ULONG_PTR kPlayedKey = 0x4B4D4143;
constexpr ULONG_PTR kLastPlayedKey = 0x4B4D4144;
// Posted to the thread once the last played key has been taken.
constexpr WPARAM kPlayDoneTag = 0x4B4D;

using Macro = CKeyMacros::Macro;

// A thread's message hook carries no data of its own: these are the macros
// whose hook is installed, set and cleared with it. The hooks watch the
// editor's one thread.
CKeyMacros* recordingMacros = nullptr;
CKeyMacros* playingMacros = nullptr;

LRESULT CALLBACK RecordProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && recordingMacros)
        recordingMacros->Record(*reinterpret_cast<const MSG*>(lParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK PlayProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (IsKeyMessage(msg->message) && ::GetMessageExtraInfo() == static_cast<LPARAM>(kLastPlayedKey)) {
            // Ends after this key has been handled: the posted message comes next.
            ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, kPlayDoneTag, static_cast<LPARAM>(kLastPlayedKey));
        } else if (msg->message == WM_NULL && !msg->hwnd && msg->wParam == kPlayDoneTag &&
                   msg->lParam == static_cast<LPARAM>(kLastPlayedKey)) {
            if (playingMacros) playingMacros->StopPlay();
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

INPUT KeyInput(WORD key, WORD scan, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = scan;
    in.ki.dwFlags = flags;
    in.ki.dwExtraInfo = kPlayedKey;
    return in;
}

void ShowError(HWND owner, const wchar_t* text) { ShowMessageBox(owner, text, L"Error", MB_OK | MB_ICONWARNING); }

const wchar_t kFilter[] = L"Keyboard Macro Files (*.mac)|*.mac|All Files (*.*)|*.*||";

bool AskPath(const wchar_t* title, bool open, HWND owner, const std::wstring& programDir, std::u16string& macroDir,
             std::wstring& path) {
    std::wstring folder = ToWide(ResolveSettingsDir(macroDir, ToU16(programDir)));
    const DWORD flags = open ? OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY
                             : OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                                   OFN_NOREADONLYRETURN;
    if (!PromptFileNameInDir(title, open, L"mac", path, flags, kFilter, owner, folder)) return false;
    macroDir = ToU16(folder);
    return true;
}

}  // namespace

CKeyMacros::~CKeyMacros() {
    StopRecording();
    StopPlay();
}

void CKeyMacros::Record(const MSG& msg) {
    if (IsKeyMessage(msg.message))
        recorder_.Key(msg.message, static_cast<uint16_t>(msg.wParam), static_cast<uint32_t>(msg.lParam),
                      static_cast<uint32_t>(msg.time));
    else if (msg.message == WM_CHAR)
        recorder_.Char(static_cast<char16_t>(msg.wParam), static_cast<uint32_t>(msg.lParam));
}

void CKeyMacros::StopRecording() {
    if (!recordHook_) return;
    ::UnhookWindowsHookEx(recordHook_);
    recordHook_ = nullptr;
    if (recordingMacros == this) recordingMacros = nullptr;
    macro_ = recorder_.Finish();
}

void CKeyMacros::ToggleRecording() {
    if (recordHook_) {
        StopRecording();
        return;
    }
    if (playing_) return;
    macro_ = Macro{};
    recorder_.Finish();
    // A Shift or Ctrl held for the command must not reach what is typed next.
    BYTE keys[256];
    if ((::GetKeyState(VK_SHIFT) & 0x8000 || ::GetKeyState(VK_CONTROL) & 0x8000) && ::GetKeyboardState(keys)) {
        for (int vk : {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL, VK_RCONTROL}) keys[vk] = 0;
        ::SetKeyboardState(keys);
    }
    recordingMacros = this;
    recordHook_ = ::SetWindowsHookExW(WH_GETMESSAGE, &RecordProc, nullptr, ::GetCurrentThreadId());
    if (!recordHook_) recordingMacros = nullptr;
}

bool CKeyMacros::Load(const std::wstring& path) {
    macro_.reset();
    Macro events;
    try {
        if (!ReadKeyMacroFile(ToU16(path), events)) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    macro_ = std::move(events);
    return true;
}

bool CKeyMacros::Save(const std::wstring& path) const {
    if (!macro_ || path.empty()) return false;
    return ReplaceFileContents(path.c_str(), KeyMacroFileBytes(*macro_));
}

void CKeyMacros::Play() {
    if (!macro_) return;
    StopRecording();
    if (playHook_) {
        ::UnhookWindowsHookEx(playHook_);
        playHook_ = nullptr;
        playing_ = false;
    }
    std::vector<INPUT> inputs;
    // Shift and Ctrl held for the command are let go first.
    for (WORD vk : {VK_SHIFT, VK_CONTROL})
        if (::GetAsyncKeyState(vk) & 0x8000) inputs.push_back(KeyInput(vk, 0, KEYEVENTF_KEYUP));
    const size_t first = inputs.size();
    for (const KeyMacroEvent& e : *macro_) {
        KeyMacroInput key;
        if (!KeyMacroEventInput(e, key)) continue;
        DWORD flags = key.up ? KEYEVENTF_KEYUP : 0;
        if (key.character) flags |= KEYEVENTF_UNICODE;
        if (key.extended) flags |= KEYEVENTF_EXTENDEDKEY;
        inputs.push_back(KeyInput(key.key, key.scan, flags));
    }
    if (inputs.size() == first) {
        // Nothing to type: over at once.
        if (!inputs.empty()) ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        StopPlay();
        return;
    }
    inputs.back().ki.dwExtraInfo = kLastPlayedKey;
    playing_ = true;
    playingMacros = this;
    playHook_ = ::SetWindowsHookExW(WH_GETMESSAGE, &PlayProc, nullptr, ::GetCurrentThreadId());
    const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // Without the last key the end would never be seen.
    if (!playHook_ || sent != inputs.size()) StopPlay();
}

void CKeyMacros::StopPlay() {
    if (playHook_) ::UnhookWindowsHookEx(playHook_);
    playHook_ = nullptr;
    playing_ = false;
    if (playingMacros == this) playingMacros = nullptr;
    if (fileRun_) {
        macro_ = std::move(setAside_);
        setAside_.reset();
        fileRun_ = false;
    }
}

bool CKeyMacros::PlayFile(const std::wstring& path) {
    if (playing_ || recordHook_) return false;
    if (!fileRun_) {
        setAside_ = std::move(macro_);
        fileRun_ = true;
    }
    if (!Load(path)) {
        macro_ = std::move(setAside_);
        setAside_.reset();
        fileRun_ = false;
        return false;
    }
    Play();
    return true;
}

void CKeyMacros::Free() {
    StopRecording();
    StopPlay();
    macro_.reset();
}

void CKeyMacros::OnDeactivate() {
    StopRecording();
    // Keys not yet taken go to whatever is active now; nothing waits for them.
    if (playing_) StopPlay();
}

bool KeyMacroCommand(CKeyMacros& macros, UINT id, CCmdUI* ui, HWND owner, const std::wstring& programDir,
                     std::u16string& macroDir) {
    const bool busy = macros.IsRecording() || macros.IsPlaying();
    switch (id) {
    case ID_KEYMACRO_RECORD:
        if (ui) {
            ui->Enable(!macros.IsPlaying());
            ui->SetCheck(macros.IsRecording() ? 1 : 0);
        } else {
            macros.ToggleRecording();
        }
        return true;
    case ID_KEYMACRO_PLAY:
        if (ui)
            ui->Enable(macros.Exists() && !busy);
        else if (!busy)
            macros.Play();
        return true;
    case ID_KEYMACRO_SAVE: {
        if (ui) {
            ui->Enable(macros.Exists() && !busy);
            return true;
        }
        if (busy) return true;
        std::wstring path;
        if (!AskPath(L"キーボードマクロの保存", false, owner, programDir, macroDir, path)) return true;
        if (!macros.Save(path)) ShowError(owner, L"キーボードマクロの保存に失敗しました。");
        return true;
    }
    case ID_KEYMACRO_LOAD:
    case ID_KEYMACRO_RUN_FILE: {
        // Loading while a macro records or plays would drop the one in use.
        if (ui) {
            ui->Enable(!busy);
            return true;
        }
        if (busy) return true;
        const bool run = id == ID_KEYMACRO_RUN_FILE;
        std::wstring path;
        if (!AskPath(run ? L"キーボードマクロの実行" : L"キーボードマクロの読込", true, owner, programDir, macroDir, path))
            return true;
        if (run) {
            if (!macros.PlayFile(path)) ShowError(owner, L"キーボードマクロの実行に失敗しました。");
        } else if (!macros.Load(path)) {
            ShowError(owner, L"キーボードマクロの読込に失敗しました。");
        }
        return true;
    }
    }
    return false;
}
