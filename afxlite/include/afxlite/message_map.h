// Message maps: which member function handles which window message, as plain constant data.
//
// A class that handles messages declares DECLARE_MESSAGE_MAP() and defines, in its .cpp:
//
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       ON_BN_CLICKED(IDC_NEXT, &CMyDlg::OnNext)
//       ON_WM_CLOSE()
//   END_MESSAGE_MAP()
//
// A WM_COMMAND entry matches on the control id and the notification code; any other entry on the
// message alone. Lookup walks from the most derived class to CWnd, so a derived class overrides
// its base's entry for the same message and id.
#ifndef AFXLITE_MESSAGE_MAP_H
#define AFXLITE_MESSAGE_MAP_H

#include <windows.h>

class CWnd;

// Handler signatures; the dispatcher casts the stored pointer back to the one named here.
enum AfxSig {
    AfxSig_end = 0,
    AfxSig_vv,  // void Handler()
    AfxSig_hv,  // HCURSOR Handler(), the result goes back to the sender (WM_QUERYDRAGICON)
};

typedef void (CWnd::*AFX_PMSG)();
typedef HCURSOR (CWnd::*AFX_PMSG_HV)();

// One handler pointer per signature, so that no cast between member-function types is needed.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;  // notification code, WM_COMMAND only
    UINT nID;    // control id, WM_COMMAND only
    AfxSig nSig;
    AFX_PMSG pfn;         // AfxSig_vv
    AFX_PMSG_HV pfnHv;    // AfxSig_hv
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The entry for a message, searching the class and then its bases; null when none handles it.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id);

#define DECLARE_MESSAGE_MAP()                          \
protected:                                             \
    static const AFX_MSGMAP* GetThisMessageMap();      \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                             \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }      \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                        \
    {                                                                                      \
        typedef theClass ThisClass;                                                        \
        typedef baseClass TheBaseClass;                                                    \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                  \
            { 0, 0, 0, AfxSig_end, nullptr, nullptr }                                             \
        };                                                                                 \
        static const AFX_MSGMAP map = { &TheBaseClass::GetThisMessageMap, &entries[0] };   \
        return &map;                                                                       \
    }

#define ON_COMMAND(id, memberFxn) \
    { WM_COMMAND, 0, (UINT)(id), AfxSig_vv, static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(memberFxn)), nullptr },
#define ON_BN_CLICKED(id, memberFxn) \
    { WM_COMMAND, BN_CLICKED, (UINT)(id), AfxSig_vv, static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(memberFxn)), nullptr },
#define ON_WM_CLOSE() \
    { WM_CLOSE, 0, 0, AfxSig_vv, static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(&ThisClass::OnClose)), nullptr },
#define ON_WM_PAINT() \
    { WM_PAINT, 0, 0, AfxSig_vv, static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(&ThisClass::OnPaint)), nullptr },
#define ON_WM_QUERYDRAGICON()                                                          \
    { WM_QUERYDRAGICON, 0, 0, AfxSig_hv, nullptr,                                      \
      static_cast<AFX_PMSG_HV>(static_cast<HCURSOR (ThisClass::*)()>(&ThisClass::OnQueryDragIcon)) },

#endif
