// A plain-string model of a text buffer for randomized comparisons: lines are
// joined by '\n' and the caret is an offset.
#pragma once

#include <random>
#include <string>

#include "tests/textengine/edit_test_util.h"

namespace edit_test {

inline int Offset(const std::u16string& text, EditPos p) {
    int offset = 0;
    for (int line = 0; line < p.line; ++line) offset = int(text.find(u'\n', std::size_t(offset))) + 1;
    return offset + p.column;
}

inline std::u16string Normalize(std::u16string s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') continue;
        out += s[i] == u'\r' ? u'\n' : s[i];
    }
    return out;
}

// Applies one random edit to the buffer and the same edit to the model.
struct RandomEditor {
    std::mt19937 rng;
    explicit RandomEditor(unsigned seed) : rng(seed) {}

    int Pick(int n) { return int(rng() % unsigned(n)); }
    std::u16string Word() {
        static const char16_t pool[] = u"abcxyz あい\r\n\t";
        std::u16string s;
        for (int i = Pick(8); i > 0; --i) s += pool[Pick(int(sizeof(pool) / sizeof(pool[0])) - 1)];
        return s;
    }
    EditPos AnyPos(const CEditData& d) {
        const int line = Pick(d.GetLineCount());
        return {Pick(d.GetLineLength(line) + 1), line};
    }

    void Step(CEditData& d, std::u16string& model) {
        int caret = Offset(model, d.GetCaretPos());
        switch (Pick(7)) {
        case 0: {
            const std::u16string w = Word();
            d.InsertText(w.c_str(), 1);
            const std::u16string n = Normalize(w);
            model.insert(std::size_t(caret), n);
            break;
        }
        case 1: {
            const char16_t c = u"ab \rx"[Pick(5)];
            d.TypeChar(c);
            model.insert(std::size_t(caret), 1, c == u'\r' ? u'\n' : c);
            break;
        }
        case 2:
            d.Backspace();
            if (caret > 0) model.erase(std::size_t(caret - 1), 1);
            break;
        case 3:
            d.DeleteCharAtCaret();
            if (caret < int(model.size())) model.erase(std::size_t(caret), 1);
            break;
        case 4: {
            EditPos a = AnyPos(d), b = AnyPos(d);
            if (b < a) std::swap(a, b);
            const int oa = Offset(model, a), ob = Offset(model, b);
            d.DeleteText(b, a, 1);
            model.erase(std::size_t(oa), std::size_t(ob - oa));
            break;
        }
        case 5: {
            const EditPos p = AnyPos(d);
            d.SetCaretPos(p.line, p.column);
            break;
        }
        case 6: {
            EditPos a = AnyPos(d), b = AnyPos(d);
            if (b < a) std::swap(a, b);
            const std::u16string w = Word();
            const int oa = Offset(model, a), ob = Offset(model, b);
            d.ReplaceRange(a, b, w.c_str());
            model.replace(std::size_t(oa), std::size_t(ob - oa), Normalize(w));
            break;
        }
        }
    }
};

}  // namespace edit_test
