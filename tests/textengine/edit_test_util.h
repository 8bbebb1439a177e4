// Helpers shared by the text buffer and undo tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "textengine/edit_data.h"
#include "textengine/mpool.h"
#include "textengine/platform_hooks.h"

namespace edit_test {

// The text with lines joined by '\n'.
inline std::u16string Text(const CEditData& d) {
    std::u16string s;
    for (int i = 0; i < d.GetLineCount(); ++i) {
        if (i) s += u'\n';
        s.append(d.GetLineText(i), std::size_t(d.GetLineLength(i)));
    }
    return s;
}

// The bookkeeping every operation must keep.
inline ::testing::AssertionResult Consistent(const CEditData& d) {
    long long units = 0;
    for (int i = 0; i < d.GetLineCount(); ++i) {
        const CEditLine* l = d.GetLine(i);
        if (l->text[l->length - 1] != 0) return ::testing::AssertionFailure() << "line " << i << " not terminated";
        if (std::u16string(l->text).size() != std::size_t(l->length - 1))
            return ::testing::AssertionFailure() << "line " << i << " holds a NUL";
        units += l->length - 1;
    }
    if (units != d.GetCharCount())
        return ::testing::AssertionFailure() << "char count " << d.GetCharCount() << " but lines hold " << units;
    if (d.GetLineCount() < 1) return ::testing::AssertionFailure() << "no lines";
    const EditPos c = d.GetCaretPos();
    if (c.line < 0 || c.line >= d.GetLineCount() || c.column < 0 || c.column > d.GetLineLength(c.line))
        return ::testing::AssertionFailure() << "caret outside the text";
    return ::testing::AssertionSuccess();
}

struct CountingListener : CEditDataListener {
    int calls = 0;
    void OnEditDataChanged() override { ++calls; }
};

// Records what the engine asked of the platform.
struct PlatformRecorder {
    static inline std::vector<unsigned> beeps;
    static inline std::vector<TextEngineShortage> shortages;
    TextEnginePlatform old;
    PlatformRecorder() {
        beeps.clear();
        shortages.clear();
        TextEnginePlatform hooks;
        hooks.message_beep = [](unsigned type) { beeps.push_back(type); };
        hooks.memory_short = [](TextEngineShortage what) { shortages.push_back(what); };
        old = te_set_platform(hooks);
    }
    ~PlatformRecorder() { te_set_platform(old); }
};

// Makes every system allocation of the pools fail while it lives.
struct FailingAllocator {
    MPoolSystemAllocator old;
    FailingAllocator() { old = mpool_set_system_allocator({[](std::size_t) -> void* { return nullptr; }, std::free}); }
    ~FailingAllocator() { mpool_set_system_allocator(old); }
};

}  // namespace edit_test
