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

#include <string>
#include <vector>

#include "app/keycore/key_macro_file.h"

class CCmdUI;

bool KeyMacroIsRecording();
bool KeyMacroIsPlaying();
bool KeyMacroExists();
// The current macro (null when there is none).
const std::vector<KeyMacroEvent>* KeyMacroEvents();

// Starts recording a new macro (the old one goes), or stops and keeps it.
void KeyMacroToggleRecording();
void KeyMacroStopRecording();
// Replaces the macro by the file's events; false (and no macro) when the
// file cannot be read or is no macro file.
bool KeyMacroLoad(const std::wstring& path);
// Writes the macro; false when there is none or the file could not be
// written whole (a file already there is then left as it was).
bool KeyMacroSave(const std::wstring& path);
void KeyMacroPlay();
void KeyMacroStopPlay();
// Plays a file once; the macro set aside comes back when that ends. False
// (the macro unchanged) when the file gives no macro.
bool KeyMacroPlayFile(const std::wstring& path);
// Stops recording and playing and drops the macro (at exit).
void KeyMacroFree();
// The editor lost the activation: recording stops, playing is over.
void KeyMacroOnDeactivate();

// The commands record/stop, play, save, load and play-from-file: ui null
// runs one, else its state is set. The files are chosen in macroDir (empty:
// programDir), which keeps the folder of the last choice. False for other ids.
bool KeyMacroCommand(UINT id, CCmdUI* ui, HWND owner, const std::wstring& programDir, std::u16string& macroDir);
