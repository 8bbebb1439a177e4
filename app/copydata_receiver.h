// The receiving side of the records of util/copydata.h: a view's
// WM_COPYDATA is checked (size, terminated text) and turned into one call.
#pragma once

#include <windows.h>

#include <string>

#include "util/copydata.h"

class CCopyDataTarget {
public:
    virtual ~CCopyDataTarget() = default;
    virtual bool IsFileOpen(const std::wstring& path) = 0;
    virtual bool OpenFile(const std::wstring& path) = 0;
    virtual bool ActivateFile(const std::wstring& path) = 0;
    virtual bool OpenAtLine(const std::wstring& path, int line, const std::wstring& mode) = 0;
    virtual bool OpenAndSearch(const CopyDataOpenAndSearch& record) = 0;
};

// The reply to a WM_COPYDATA: 1 when the call succeeded, 0 when it failed or
// the record was malformed. handled is false for codes that are not ours.
LRESULT DispatchCopyData(const COPYDATASTRUCT* cds, CCopyDataTarget& target, bool& handled);
