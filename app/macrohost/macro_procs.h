// The rows of the editor's procedure table, split by family; registered in
// table order (app- first, then editor-).
#pragma once

#include <string>

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

// A string argument's text (the table's letters checked its type).
inline std::u16string MacroArgText(scheme_cell* string) {
    const scheme_string_payload* s = scheme_string(string);
    return std::u16string(s->text, static_cast<std::size_t>(s->length));
}
