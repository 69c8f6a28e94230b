#pragma once
// The wait cursor for as long as the object lives.

#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { SetCursor(m_previous); }
    void Restore() { SetCursor(m_previous); }

private:
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    HCURSOR m_previous;
};
