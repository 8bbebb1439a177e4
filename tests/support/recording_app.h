// The application object of window tests that build the main frame without
// a document: the files it is asked to open are recorded, not opened.
#pragma once

#include <string>
#include <vector>

#include "app/base/torka_win_app.h"

namespace wtest {

class RecordingApp : public CTorkaWinApp {
public:
    std::vector<std::wstring> opened;
    CDocument* OpenDocumentFile(const wchar_t* path) override {
        opened.push_back(path);
        return nullptr;
    }
};

}  // namespace wtest
