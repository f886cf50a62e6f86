// CDialog: a modal dialog built from a dialog template of the application's resources.
//
// DoModal runs DialogBoxParamA with this layer's dialog procedure: WM_INITDIALOG attaches the window
// and calls OnInitDialog; every later message goes through the message map, and the IDOK and
// IDCANCEL commands reach OnOK and OnCancel unless a derived map handles them first.
#ifndef AFXLITE_DIALOG_H
#define AFXLITE_DIALOG_H

#include "afxlite/wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    ~CDialog() override {}

    // The value given to EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal();
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

protected:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

#endif
