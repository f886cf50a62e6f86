#include "afxlite/app.h"

#include <string.h>

#include "afxlite/wnd.h"

static CWinApp* s_pApp = NULL;

CWinApp::CWinApp(LPCSTR appName)
    : m_hInstance(NULL), m_lpCmdLine(NULL), m_nCmdShow(SW_SHOWNORMAL), m_pszAppName(appName),
      m_pMainWnd(NULL), m_nExitCode(0)
{
    m_szTitle[0] = '\0';
    s_pApp = this;
}

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = NULL;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(nIDResource));
}

void CWinApp::SetTitleFromModule()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(m_hInstance, path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return;
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    size_t nameLength = strlen(name);
    const char* dot = strrchr(name, '.');
    if (dot != NULL)
        nameLength = (size_t)(dot - name);
    memcpy(m_szTitle, name, nameLength);
    m_szTitle[nameLength] = '\0';
    m_pszAppName = m_szTitle;
}

CWinApp* AfxGetApp()
{
    return s_pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return s_pApp ? s_pApp->m_hInstance : NULL;
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (app == NULL)
        return -1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    if (app->m_pszAppName == NULL)
        app->SetTitleFromModule();
    app->InitInstance();
    app->m_pMainWnd = NULL;
    return app->GetExitCode();
}

int AfxMessageBox(LPCSTR text, UINT type)
{
    CWinApp* app = AfxGetApp();
    HWND owner = (app && app->m_pMainWnd) ? app->m_pMainWnd->m_hWnd : NULL;
    LPCSTR caption = (app && app->m_pszAppName) ? app->m_pszAppName : "";
    return MessageBoxA(owner, text, caption, type);
}
