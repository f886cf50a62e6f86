// CWnd: a window handle and the calls the host makes on it; CButton: a check box or radio button.
//
// GetDlgItem returns a CWnd by value: it only wraps the child's handle, there is no handle map.
// Message handling (OnWndMsg) is what CDialog's dialog procedure calls for every message after
// WM_INITDIALOG; a handler that wants the system's own processing calls Default().
#ifndef AFXLITE_WND_H
#define AFXLITE_WND_H

#include <windows.h>

#include "afxlite/message_map.h"
#include "afxlite/string.h"

class CWnd {
public:
    CWnd() : m_hWnd(NULL), m_bDefault(FALSE) {}
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd), m_bDefault(FALSE) {}
    virtual ~CWnd() {}

    HWND GetSafeHwnd() const { return m_hWnd; }

    CWnd GetDlgItem(int nID) const { return CWnd(::GetDlgItem(m_hWnd, nID)); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
    void GetWindowText(CString& text) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }

    // Dispatches a message through the message map. Returns TRUE when a handler took it (and did
    // not ask for Default()), with the handler's result in *pResult.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    HWND m_hWnd;

protected:
    // Asks for the system's default processing of the message being handled.
    void Default() { m_bDefault = TRUE; }

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }

private:
    BOOL m_bDefault;
};

class CButton : public CWnd {
public:
    CButton() {}
    explicit CButton(const CWnd& wnd) : CWnd(wnd.m_hWnd) {}

    int GetCheck() const { return (int)::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0); }
    void SetCheck(int nCheck) { ::SendMessageA(m_hWnd, BM_SETCHECK, (WPARAM)nCheck, 0); }
};

#endif
