// CInstallerDlg: the setup wizard. For now a placeholder on the wizard's dialog template that shows
// only its Cancel button; Cancel and the close box end it.
#ifndef TAVREL_HOST_INSTALLER_DLG_H
#define TAVREL_HOST_INSTALLER_DLG_H

#include "afxlite/dialog.h"

class CInstallerDlg : public CDialog {
public:
    explicit CInstallerDlg(CWnd* pParent = NULL);
    ~CInstallerDlg() override {}

    BOOL OnInitDialog() override;

protected:
    void OnClose();

    HICON m_hIcon;

    DECLARE_MESSAGE_MAP()
};

#endif
