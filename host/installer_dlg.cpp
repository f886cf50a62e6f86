#include "installer_dlg.h"

#include "afxlite/app.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CInstallerDlg, CDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CInstallerDlg::CInstallerDlg(CWnd* pParent)
    : CDialog(IDD_INSTALLER_DIALOG, pParent), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME))
{
}

BOOL CInstallerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetWindowText("Tavrel4");
    return TRUE;
}

// The dialog manager turns WM_CLOSE into the Cancel command.
void CInstallerDlg::OnClose()
{
    Default();
}
