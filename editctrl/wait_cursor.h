// The wait pointer while a long command runs.
#pragma once

#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor() : m_old(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(m_old); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_old;
};
