#include "afxlite/wnd.h"

#include <stdlib.h>

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = { { 0, 0, 0, AfxSig_end, nullptr, nullptr } };
    static const AFX_MSGMAP map = { NULL, &entries[0] };
    return &map;
}

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id)
{
    for (; map != NULL; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : NULL) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nSig != AfxSig_end; ++entry) {
            if (entry->nMessage != message)
                continue;
            if (message == WM_COMMAND && (entry->nCode != code || entry->nID != id))
                continue;
            return entry;
        }
    }
    return NULL;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    (void)lParam;
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    }
    const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(GetMessageMap(), message, code, id);
    if (entry == NULL)
        return FALSE;

    m_bDefault = FALSE;
    switch (entry->nSig) {
    case AfxSig_vv:
        (this->*entry->pfn)();
        *pResult = 0;
        break;
    case AfxSig_hv: {
        *pResult = (LRESULT)(this->*entry->pfnHv)();
        break;
    }
    case AfxSig_end:
        return FALSE;
    }
    BOOL handled = !m_bDefault;
    m_bDefault = FALSE;
    return handled;
}

void CWnd::GetWindowText(CString& text) const
{
    int length = GetWindowTextLengthA(m_hWnd);
    char* buffer = (char*)malloc((size_t)length + 1);
    if (buffer == NULL) {
        text = "";
        return;
    }
    buffer[0] = '\0';
    ::GetWindowTextA(m_hWnd, buffer, length + 1);
    text = buffer;
    free(buffer);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return (HICON)::SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon);
}
