// Resource ids of Installer.exe, shared by the resource script and the code.
#ifndef TAVREL_HOST_RESOURCE_H
#define TAVREL_HOST_RESOURCE_H

#define IDD_INSTALLER_DIALOG 102
#define IDR_MAINFRAME 128
#define IDI_REMOVE 133
#define IDI_REPAIR 134

// Wizard controls.
#define IDC_NEXT 3
#define IDC_BACK 4
#define IDC_FINISH 5
#define IDC_PANEL 1002
#define IDC_BANNER 1003
#define IDC_REPAIR 1004
#define IDC_REMOVE 1005
#define IDC_REMOVE_ICON 1006
#define IDC_REPAIR_ICON 1007
#define IDC_USB 1010
#define IDC_PARALLEL 1011
#define IDC_DETECT_BUSY 1012
#define IDC_NO_DETECT_BUSY 1013
#define IDC_MAINT_TEXT 1014

#endif
