#include "app/key_macro.h"

#include <optional>
#include <utility>

#include "app/file_dialogs.h"
#include "app/base/ini_file_win.h"
#include "app/keycore/key_macro_recorder.h"
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

using Macro = std::vector<KeyMacroEvent>;

struct KeyMacroState {
    std::optional<Macro> macro;
    KeyMacroRecorder recorder;
    HHOOK recordHook = nullptr;
    HHOOK playHook = nullptr;
    bool playing = false;
    // While a file plays once: the macro it replaced.
    bool fileRun = false;
    std::optional<Macro> setAside;
};

KeyMacroState& State() {
    static KeyMacroState state;
    return state;
}

LRESULT CALLBACK RecordProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        KeyMacroRecorder& recorder = State().recorder;
        if (IsKeyMessage(msg->message))
            recorder.Key(msg->message, static_cast<uint16_t>(msg->wParam), static_cast<uint32_t>(msg->lParam),
                         static_cast<uint32_t>(msg->time));
        else if (msg->message == WM_CHAR)
            recorder.Char(static_cast<char16_t>(msg->wParam), static_cast<uint32_t>(msg->lParam));
    }
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
            KeyMacroStopPlay();
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

bool KeyMacroIsRecording() { return State().recordHook != nullptr; }
bool KeyMacroIsPlaying() { return State().playing; }
bool KeyMacroExists() { return State().macro.has_value(); }
const std::vector<KeyMacroEvent>* KeyMacroEvents() { return State().macro ? &*State().macro : nullptr; }

void KeyMacroStopRecording() {
    KeyMacroState& s = State();
    if (!s.recordHook) return;
    ::UnhookWindowsHookEx(s.recordHook);
    s.recordHook = nullptr;
    s.macro = s.recorder.Finish();
}

void KeyMacroToggleRecording() {
    KeyMacroState& s = State();
    if (s.recordHook) {
        KeyMacroStopRecording();
        return;
    }
    if (s.playing) return;
    s.macro = Macro{};
    s.recorder.Finish();
    // A Shift or Ctrl held for the command must not reach what is typed next.
    BYTE keys[256];
    if ((::GetKeyState(VK_SHIFT) & 0x8000 || ::GetKeyState(VK_CONTROL) & 0x8000) && ::GetKeyboardState(keys)) {
        for (int vk : {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL, VK_RCONTROL}) keys[vk] = 0;
        ::SetKeyboardState(keys);
    }
    s.recordHook = ::SetWindowsHookExW(WH_GETMESSAGE, &RecordProc, nullptr, ::GetCurrentThreadId());
}

bool KeyMacroLoad(const std::wstring& path) {
    KeyMacroState& s = State();
    s.macro.reset();
    Macro events;
    try {
        if (!ReadKeyMacroFile(ToU16(path), events)) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    s.macro = std::move(events);
    return true;
}

bool KeyMacroSave(const std::wstring& path) {
    const KeyMacroState& s = State();
    if (!s.macro || path.empty()) return false;
    return ReplaceFileContents(path.c_str(), KeyMacroFileBytes(*s.macro));
}

void KeyMacroPlay() {
    KeyMacroState& s = State();
    if (!s.macro) return;
    KeyMacroStopRecording();
    if (s.playHook) {
        ::UnhookWindowsHookEx(s.playHook);
        s.playHook = nullptr;
        s.playing = false;
    }
    std::vector<INPUT> inputs;
    // Shift and Ctrl held for the command are let go first.
    for (WORD vk : {VK_SHIFT, VK_CONTROL})
        if (::GetAsyncKeyState(vk) & 0x8000) inputs.push_back(KeyInput(vk, 0, KEYEVENTF_KEYUP));
    const size_t first = inputs.size();
    for (const KeyMacroEvent& e : *s.macro) {
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
        KeyMacroStopPlay();
        return;
    }
    inputs.back().ki.dwExtraInfo = kLastPlayedKey;
    s.playing = true;
    s.playHook = ::SetWindowsHookExW(WH_GETMESSAGE, &PlayProc, nullptr, ::GetCurrentThreadId());
    const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // Without the last key the end would never be seen.
    if (!s.playHook || sent != inputs.size()) KeyMacroStopPlay();
}

void KeyMacroStopPlay() {
    KeyMacroState& s = State();
    if (s.playHook) ::UnhookWindowsHookEx(s.playHook);
    s.playHook = nullptr;
    s.playing = false;
    if (s.fileRun) {
        s.macro = std::move(s.setAside);
        s.setAside.reset();
        s.fileRun = false;
    }
}

bool KeyMacroPlayFile(const std::wstring& path) {
    KeyMacroState& s = State();
    if (s.playing || s.recordHook) return false;
    if (!s.fileRun) {
        s.setAside = std::move(s.macro);
        s.fileRun = true;
    }
    if (!KeyMacroLoad(path)) {
        s.macro = std::move(s.setAside);
        s.setAside.reset();
        s.fileRun = false;
        return false;
    }
    KeyMacroPlay();
    return true;
}

void KeyMacroFree() {
    KeyMacroStopRecording();
    KeyMacroStopPlay();
    State().macro.reset();
}

void KeyMacroOnDeactivate() {
    KeyMacroStopRecording();
    // Keys not yet taken go to whatever is active now; nothing waits for them.
    if (State().playing) KeyMacroStopPlay();
}

bool KeyMacroCommand(UINT id, CCmdUI* ui, HWND owner, const std::wstring& programDir, std::u16string& macroDir) {
    const bool busy = KeyMacroIsRecording() || KeyMacroIsPlaying();
    switch (id) {
    case ID_KEYMACRO_RECORD:
        if (ui) {
            ui->Enable(!KeyMacroIsPlaying());
            ui->SetCheck(KeyMacroIsRecording() ? 1 : 0);
        } else {
            KeyMacroToggleRecording();
        }
        return true;
    case ID_KEYMACRO_PLAY:
        if (ui)
            ui->Enable(KeyMacroExists() && !busy);
        else if (!busy)
            KeyMacroPlay();
        return true;
    case ID_KEYMACRO_SAVE: {
        if (ui) {
            ui->Enable(KeyMacroExists() && !busy);
            return true;
        }
        if (busy) return true;
        std::wstring path;
        if (!AskPath(L"キーボードマクロの保存", false, owner, programDir, macroDir, path)) return true;
        if (!KeyMacroSave(path)) ShowError(owner, L"キーボードマクロの保存に失敗しました。");
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
            if (!KeyMacroPlayFile(path)) ShowError(owner, L"キーボードマクロの実行に失敗しました。");
        } else if (!KeyMacroLoad(path)) {
            ShowError(owner, L"キーボードマクロの読込に失敗しました。");
        }
        return true;
    }
    }
    return false;
}
