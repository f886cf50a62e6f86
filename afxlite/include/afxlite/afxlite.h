// The class layer the host is written on: application object, windows, dialogs, strings.
#ifndef AFXLITE_AFXLITE_H
#define AFXLITE_AFXLITE_H

#include "afxlite/app.h"
#include "afxlite/dialog.h"
#include "afxlite/string.h"
#include "afxlite/wait_cursor.h"
#include "afxlite/wnd.h"

#endif
