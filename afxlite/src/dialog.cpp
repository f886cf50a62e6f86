#include "afxlite/dialog.h"

#include "afxlite/app.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal()
{
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : NULL;
    INT_PTR result = DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), parent,
                                     &CDialog::DialogProc, (LPARAM)this);
    m_hWnd = NULL;
    return result;
}

// The object travels in WM_INITDIALOG's lParam and is kept in the window's DWLP_USER slot; messages
// that arrive before it (WM_SETFONT) get the dialog manager's default processing.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* dialog;
    if (message == WM_INITDIALOG) {
        dialog = (CDialog*)lParam;
        dialog->m_hWnd = hWnd;
        SetWindowLongPtrA(hWnd, DWLP_USER, (LONG_PTR)dialog);
        return dialog->OnInitDialog();
    }
    dialog = (CDialog*)GetWindowLongPtrA(hWnd, DWLP_USER);
    if (dialog == NULL)
        return FALSE;
    LRESULT result = 0;
    if (!dialog->OnWndMsg(message, wParam, lParam, &result))
        return FALSE;
    // Only a few messages return their value from the dialog procedure itself; the handlers this
    // layer knows return nothing but for WM_QUERYDRAGICON, which is one of them.
    return message == WM_QUERYDRAGICON ? (INT_PTR)result : TRUE;
}
