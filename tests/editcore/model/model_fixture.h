// The editor model on a text without a window: a fake view answers the
// geometry from a fake font (8 px below U+0100, 16 px above; a TAB stop is
// 32 px) and counts what the model tells it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "editctrl/core/edit_model.h"
#include "textengine/edit_data.h"
#include "textengine/text_metrics.h"

struct FakeView : CEditModelView {
    CEditData* data = nullptr;
    CFakeTextMetrics* font = nullptr;
    int selectionChanged = 0, caretMoved = 0, edits = 0, deletes = 0, relayouts = 0, lineEdits = 0;
    std::vector<std::pair<int, int>> dropped;

    int ColumnX(EditPos pos) override {
        return CalcTextWidth(data->GetLineText(pos.line), data->GetDispData().widths, font, pos.column);
    }
    TabMetrics TabMetricsAtCaret() override { return {ColumnX(data->GetCaretPos()), 8, 32}; }
    void SelectionMoved(bool, EditPos, EditPos) override {}
    void SelectionLinesDropped(int first, int last) override { dropped.push_back({first, last}); }
    void SelectionChanged() override { ++selectionChanged; }
    void CaretMoved(bool, bool, bool) override { ++caretMoved; }
    void RepaintAll() override {}
    void TextEdited(const EditSnapshot&, int, bool) override { ++edits; }
    void RangeDeleted(const EditSnapshot&, int, int, bool, bool) override { ++deletes; }
    int ColumnAtX(int line, int x) override {
        return CalcCharIndexAtX(data->GetLineText(line), data->GetDispData().widths, font, x);
    }
    void LinesChanged(bool) override { ++relayouts; }
    void LineEdited(const EditSnapshot&) override { ++lineEdits; }
};

struct Model : ::testing::Test {
    CFakeTextMetrics font;
    CEditData d;
    FakeView view;
    CEditModel model{view};

    Model() {
        d.GetDispData().widths.Init(&font);
        d.GetDispData().metrics = &font;
        view.data = &d;
        view.font = &font;
        model.SetData(&d);
    }
    void Set(const char16_t* text, EditPos caret = {0, 0}) {
        d.InsertText(text, 1);
        d.ResetUndo();
        d.SetCaretPos(caret.line, caret.column);
    }
    void TypeAll(const std::u16string& s) {
        for (char16_t c : s) {
            char32_t ch = c;
            if (model.CombineTyped(ch)) model.Type(ch);
        }
    }
    std::u16string Text() const { return d.GetText(); }
    EditPos Caret() const { return d.GetCaretPos(); }
    EditPos SelStart() const { return d.GetDispData().selStart; }
    EditPos SelEnd() const { return d.GetDispData().selEnd; }
};
