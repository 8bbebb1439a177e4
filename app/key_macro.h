// Keyboard macros: the key input the editor's own thread takes while
// recording, played back into the editor through the input system (so held
// modifiers, the caret and the dialogs a key opens behave as when typed),
// saved to and loaded from .mac files. The macro lives for the run.
//
// Recording watches only the messages of this thread, so keys typed into
// other programs are never kept; it stops when the editor loses the
// activation or closes. Playing ends once the last played key has been
// taken by the editor; until then nothing records, loads or plays again.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/keycore/key_macro_file.h"
#include "app/keycore/key_macro_recorder.h"

class CCmdUI;

// The application context holds one; a test may make its own.
class CKeyMacros {
public:
    using Macro = std::vector<KeyMacroEvent>;

    CKeyMacros() = default;
    CKeyMacros(const CKeyMacros&) = delete;
    CKeyMacros& operator=(const CKeyMacros&) = delete;
    // Recording and playing stop: no hook is left behind.
    ~CKeyMacros();

    bool IsRecording() const { return recordHook_ != nullptr; }
    bool IsPlaying() const { return playing_; }
    bool Exists() const { return macro_.has_value(); }
    // The current macro (null when there is none).
    const Macro* Events() const { return macro_ ? &*macro_ : nullptr; }

    // Starts recording a new macro (the old one goes), or stops and keeps it.
    void ToggleRecording();
    void StopRecording();
    // Replaces the macro by the file's events; false (and no macro) when the
    // file cannot be read or is no macro file.
    bool Load(const std::wstring& path);
    // Writes the macro; false when there is none or the file could not be
    // written whole (a file already there is then left as it was).
    bool Save(const std::wstring& path) const;
    void Play();
    void StopPlay();
    // Plays a file once; the macro set aside comes back when that ends.
    // False (the macro unchanged) when the file gives no macro.
    bool PlayFile(const std::wstring& path);
    // Stops recording and playing and drops the macro (at exit).
    void Free();
    // The editor lost the activation: recording stops, playing is over.
    void OnDeactivate();

    // The hooks' ends, called by the thread's message hooks.
    void Record(const MSG& msg);

private:
    std::optional<Macro> macro_;
    KeyMacroRecorder recorder_;
    HHOOK recordHook_ = nullptr;
    HHOOK playHook_ = nullptr;
    bool playing_ = false;
    // While a file plays once: the macro it replaced.
    bool fileRun_ = false;
    std::optional<Macro> setAside_;
};

// The commands record/stop, play, save, load and play-from-file on macros:
// ui null runs one, else its state is set. The files are chosen in macroDir
// (empty: programDir), which keeps the folder of the last choice. False for
// other ids.
bool KeyMacroCommand(CKeyMacros& macros, UINT id, CCmdUI* ui, HWND owner, const std::wstring& programDir,
                     std::u16string& macroDir);
