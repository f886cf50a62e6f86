// CWinApp: the one application object of a dialog-based program, and the program's entry point.
//
// The program defines one global object of a class derived from CWinApp. WinMain (winmain.cpp, linked
// into the executable) fills in the instance handle, command line and title, calls InitInstance and
// returns the exit code the application set with SetExitCode. There is no message loop: InitInstance
// does all the work, modal dialogs included, so its result only says whether it wanted one.
#ifndef AFXLITE_APP_H
#define AFXLITE_APP_H

#include <windows.h>

class CWnd;

class CWinApp {
public:
    // `appName` null: the title is the executable's file name without folder and extension.
    explicit CWinApp(LPCSTR appName = NULL);
    virtual ~CWinApp();

    virtual BOOL InitInstance() { return FALSE; }

    HICON LoadIcon(UINT nIDResource) const;
    void SetExitCode(int code) { m_nExitCode = code; }
    int GetExitCode() const { return m_nExitCode; }

    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine;
    int m_nCmdShow;
    LPCSTR m_pszAppName;
    CWnd* m_pMainWnd;

private:
    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int);
    void SetTitleFromModule();

    int m_nExitCode;
    char m_szTitle[MAX_PATH];
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// What WinMain does; tests call it in place of starting a process.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

// A message box owned by the main window, with the application title as caption.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK);

#endif
