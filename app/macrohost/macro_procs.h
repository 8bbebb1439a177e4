// The rows of the editor's procedure table, split by family; registered in
// table order (app- first, then editor-).
#pragma once

#include "scheme/scheme.h"

struct MacroProcRow {
    const char16_t* name;
    scheme_callback_fn fn;
    int minArgs;
    int maxArgs;
    const char16_t* letters;
};

extern const MacroProcRow kMacroAppProcs[];
extern const int kMacroAppProcCount;
extern const MacroProcRow kMacroEditorProcs[];
extern const int kMacroEditorProcCount;
