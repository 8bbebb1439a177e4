// Dialog templates built in memory, so window tests need no resource file.
#pragma once

#include <windows.h>

#include <vector>

namespace wtest {

class DialogTemplate {
public:
    static constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082, kComboBox = 0x0085;

    DialogTemplate(DWORD style, short cx, short cy, const wchar_t* title) {
        Dword(style);
        Dword(0);
        words_.push_back(0);  // item count, counted as items come
        for (short v : {short(0), short(0), cx, cy}) words_.push_back(static_cast<WORD>(v));
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the system dialog class
        Text(title);
    }
    DialogTemplate& Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
                         const wchar_t* text = L"") {
        if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (short v : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(v));
        words_.push_back(id);
        words_.push_back(0xFFFF);
        words_.push_back(atom);
        Text(text);
        words_.push_back(0);  // no creation data
        ++words_[4];
        return *this;
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Dword(DWORD v) {
        words_.push_back(LOWORD(v));
        words_.push_back(HIWORD(v));
    }
    void Text(const wchar_t* s) {
        while (*s) words_.push_back(*s++);
        words_.push_back(0);
    }
    std::vector<WORD> words_;
};

}  // namespace wtest
