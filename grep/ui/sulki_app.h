// sulki's application: one instance at a time, its settings in "sulki.ini"
// beside the program, and the dialog as its only window.
#pragma once

#include <windows.h>

#include "app/base/torka_win_app.h"

// Name of the mutex that marks a running sulki.
inline constexpr wchar_t kSulkiMutexName[] = L"UNIQUE_STRING_TORKA_SULKI";

class CSulkiApp : public CTorkaWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    HANDLE mutex_ = nullptr;
    bool oleReady_ = false;
};

// The first sulki dialog in window order (a top-level window with the
// result view as a direct child) brought to the front; false when none.
bool BringRunningSulkiForward();
