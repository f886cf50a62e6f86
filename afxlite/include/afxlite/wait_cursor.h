// CWaitCursor: shows the hourglass for its lifetime and puts the previous cursor back.
#ifndef AFXLITE_WAIT_CURSOR_H
#define AFXLITE_WAIT_CURSOR_H

#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor() : m_hPrevious(SetCursor(LoadCursorA(NULL, IDC_WAIT))) {}
    ~CWaitCursor() { SetCursor(m_hPrevious); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    // Shows the hourglass again, e.g. after a message box replaced it.
    void Restore() { SetCursor(LoadCursorA(NULL, IDC_WAIT)); }

private:
    HCURSOR m_hPrevious;
};

#endif
