// Test control of the simulated windows and dialogs (see winuser_ui.h for what product code calls).
//
// Dialog templates come from the project's own resource script: LoadDialogTemplates reads the
// DIALOG/DIALOGEX blocks of a script into a registered image, and DialogBoxParamA with that
// image's module builds the dialog from them (the variant in the system locale's language when
// there is one, else English, else the first), creates its controls with their styles and texts
// (in the system code page), sends WM_INITDIALOG and then plays the simulated user's script until
// the dialog procedure calls EndDialog. Clicks reach the dialog as WM_COMMAND/BN_CLICKED exactly as
// a real click would: only on visible, enabled controls, after auto check boxes and auto radio
// buttons changed their state. A dialog procedure returning FALSE gets the dialog manager's default
// processing (WM_CLOSE becomes the IDCANCEL command unless that button is disabled).
//
//   sim::ui::LoadDialogTemplates("Installer", TAVREL_SOURCE_DIR "/host/host.rc");
//   sim::ui::Click(IDC_NEXT);
//   sim::ui::Do([](HWND dlg) { EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, IDC_BACK))); });
//   sim::ui::Close();
//   ... run the product ...
//   EXPECT_TRUE(sim::ui::Problems().empty());
//
// The state here is not part of sim::Reset: a fixture calls sim::ui::Reset() as well.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sim::ui {

void Reset();  // forgets the script, the records and any window left; keeps the templates

// Reads the dialog templates of `rcPath` into image `imageName` (replacing the image's earlier
// templates). The script subset: #pragma code_page, #include "x.h" and #define NAME number for
// ids, LANGUAGE a, b (top level or inside the dialog), NAME DIALOG[EX] x, y, w, h with STYLE,
// EXSTYLE, CAPTION, FONT, and the controls CONTROL, PUSHBUTTON, DEFPUSHBUTTON, LTEXT, CTEXT,
// RTEXT, GROUPBOX, AUTOCHECKBOX, AUTORADIOBUTTON, CHECKBOX, RADIOBUTTON, ICON; styles are numbers
// or the WS_/BS_/SS_/DS_ names of winuser_ui.h, joined by | with NOT. Other blocks are skipped.
bool LoadDialogTemplates(const std::string& imageName, const std::string& rcPath, std::string* error = nullptr);

// ---- the simulated user: actions queued for the dialogs, taken in order by the active one
void Click(int controlId);
void Close();                                   // the close box: WM_CLOSE
void PressEscape();                             // IDCANCEL command from the keyboard
void Do(std::function<void(HWND dialog)> action);  // test code run while the dialog waits for the user
size_t PendingActions();

// ---- what happened
struct DialogRecord {
  std::string image;
  int templateId;
  WORD language;        // of the variant used
  INT_PTR result;       // as DialogBoxParamA returned it
};
const std::vector<DialogRecord>& Dialogs();
// Things a real user could not have done or a real dialog would not survive: a click on a
// hidden or disabled control, a dialog still waiting when the script ran out (it then ends with
// -1). Empty in a good run.
const std::vector<std::string>& Problems();

// ---- inspection (valid while a dialog exists, e.g. inside Do)
HWND ActiveDialog();
struct ControlState {
  int id;
  std::string className;  // "BUTTON", "STATIC", ...
  std::string text;       // bytes in the system code page
  DWORD style;
  bool visible;
  bool enabled;
  int check;
};
std::optional<ControlState> Control(HWND dialog, int controlId);
HICON DialogIcon(HWND dialog, bool big);

HCURSOR CurrentCursor();
// The cursor ids ("#32514" for IDC_WAIT, or the name) of every SetCursor call, in order; "(null)"
// for a null cursor and "?" for a handle that LoadCursorA did not give.
std::vector<std::string> CursorHistory();

}  // namespace sim::ui
