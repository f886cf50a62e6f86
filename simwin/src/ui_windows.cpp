// Windows and modal dialogs of the simulated Windows, and the scripted user who works them.
#include <algorithm>

#include "ui_state.h"

namespace sim::ui {

using sim::detail::Dec;
using sim::detail::Hex;
using sim::detail::M;
using sim::detail::Record;
using sim::detail::ResName;
using sim::detail::SetError;

namespace detail {
UiState& Ui() {
  static UiState state;
  return state;
}
}  // namespace detail

using namespace detail;

namespace {

Window* Find(HWND handle) {
  auto it = Ui().windows.find(handle);
  return it == Ui().windows.end() ? nullptr : &it->second;
}

Window* Child(HWND dialog, int id) {
  Window* parent = Find(dialog);
  if (!parent) return nullptr;
  for (HWND child : parent->children) {
    Window* window = Find(child);
    if (window && window->id == id) return window;
  }
  return nullptr;
}

std::string Describe(HWND handle) {
  Window* window = Find(handle);
  if (!window) return "hwnd " + sim::detail::HandleText(handle);
  if (window->isDialog) return "dialog " + window->templateName;
  return "control " + Dec(window->id);
}

HWND NewWindow(Window window) {
  window.handle = reinterpret_cast<HWND>(Ui().nextWindow);
  Ui().nextWindow += 4;
  HWND handle = window.handle;
  Ui().windows[handle] = std::move(window);
  return handle;
}

HANDLE SharedHandle(const std::string& key) {
  auto it = Ui().sharedHandles.find(key);
  if (it != Ui().sharedHandles.end()) return it->second;
  HANDLE handle = reinterpret_cast<HANDLE>(Ui().nextHandle);
  Ui().nextHandle += 4;
  Ui().sharedHandles[key] = handle;
  Ui().handleNames[handle] = key;
  return handle;
}

// The resource loader's language order: the system language, its neutral and default sublanguages,
// English (US), then whatever the module has.
const DialogTemplate* ChooseTemplate(const std::vector<DialogTemplate>& templates, const std::string& name) {
  WORD wanted = LANGIDFROMLCID(M().profile.lcid);
  const WORD order[] = {wanted, (WORD)MAKELANGID(PRIMARYLANGID(wanted), SUBLANG_NEUTRAL),
                        (WORD)MAKELANGID(PRIMARYLANGID(wanted), SUBLANG_DEFAULT),
                        (WORD)MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};
  for (WORD language : order)
    for (const DialogTemplate& candidate : templates)
      if (sim::detail::IEquals(candidate.name, name) && candidate.language == language) return &candidate;
  for (const DialogTemplate& candidate : templates)
    if (sim::detail::IEquals(candidate.name, name)) return &candidate;
  return nullptr;
}

bool IsSpecialDialogResult(UINT message) {
  return message == WM_INITDIALOG || message == WM_QUERYDRAGICON;
}

LRESULT SendToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What the dialog manager does with the Cancel command's sources when the procedure declines.
void DefaultClose(HWND dialog) {
  Window* cancel = Child(dialog, IDCANCEL);
  if (cancel && (cancel->style & WS_DISABLED)) return;  // Windows only beeps
  SendToDialog(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)(cancel ? cancel->handle : nullptr));
}

LRESULT DefaultWindowMessage(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      window->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      return TRUE;
    case WM_GETTEXT: {
      if (wParam == 0) return 0;
      size_t count = std::min(window->text.size(), (size_t)wParam - 1);
      memcpy(reinterpret_cast<char*>(lParam), window->text.data(), count);
      reinterpret_cast<char*>(lParam)[count] = '\0';
      return (LRESULT)count;
    }
    case WM_GETTEXTLENGTH:
      return (LRESULT)window->text.size();
    case WM_SETICON: {
      HICON& slot = wParam == ICON_BIG ? window->bigIcon : window->smallIcon;
      HICON previous = slot;
      slot = reinterpret_cast<HICON>(lParam);
      return (LRESULT)previous;
    }
    case BM_GETCHECK:
      return window->check;
    case BM_SETCHECK:
      window->check = (int)wParam;
      return 0;
    default:
      return 0;
  }
}

LRESULT SendToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = Find(dialog);
  if (!window) return 0;
  DLGPROC proc = window->proc;
  INT_PTR handled = proc ? proc(dialog, message, wParam, lParam) : FALSE;
  window = Find(dialog);
  if (!window) return 0;
  if (handled) return IsSpecialDialogResult(message) ? handled : window->longs[DWLP_MSGRESULT];
  if (message == WM_CLOSE) {
    DefaultClose(dialog);
    return 0;
  }
  return DefaultWindowMessage(window, message, wParam, lParam);
}

// Auto radio buttons of one group: between controls carrying WS_GROUP (none: the whole dialog).
void CheckRadioInGroup(Window* dialog, Window* clicked) {
  const std::vector<HWND>& children = dialog->children;
  size_t at = std::find(children.begin(), children.end(), clicked->handle) - children.begin();
  size_t begin = at;
  while (begin > 0 && !(Find(children[begin])->style & WS_GROUP)) --begin;
  size_t end = at + 1;
  while (end < children.size() && !(Find(children[end])->style & WS_GROUP)) ++end;
  for (size_t i = begin; i < end; ++i) {
    Window* other = Find(children[i]);
    if ((other->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON && other->className == "BUTTON")
      other->check = other == clicked ? BST_CHECKED : BST_UNCHECKED;
  }
}

void Click(HWND dialog, int id) {
  Window* control = Child(dialog, id);
  std::string where = "click on control " + Dec(id) + " of " + Describe(dialog);
  if (!control) {
    Ui().problems.push_back(where + ": no such control");
    return;
  }
  if (!IsWindowVisible(control->handle) || !(IsWindowEnabled(control->handle))) {
    Ui().problems.push_back(where + ": the control is hidden or disabled");
    return;
  }
  if (control->className == "BUTTON") {
    DWORD type = control->style & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX) control->check = control->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    if (type == BS_AUTORADIOBUTTON) CheckRadioInGroup(Find(dialog), control);
  }
  SendToDialog(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)control->handle);
}

void Perform(HWND dialog, const Action& action) {
  switch (action.kind) {
    case Action::kClick:
      Click(dialog, action.id);
      break;
    case Action::kClose:
      SendToDialog(dialog, WM_CLOSE, 0, 0);
      break;
    case Action::kEscape: {
      Window* cancel = Child(dialog, IDCANCEL);
      SendToDialog(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)(cancel ? cancel->handle : nullptr));
      break;
    }
    case Action::kDo:
      action.run(dialog);
      break;
  }
}

void DestroyDialog(HWND dialog) {
  Window* window = Find(dialog);
  if (!window) return;
  for (HWND child : window->children) Ui().windows.erase(child);
  Ui().windows.erase(dialog);
  auto& active = Ui().activeDialogs;
  active.erase(std::remove(active.begin(), active.end(), dialog), active.end());
}

// Destroys the dialog however DialogBoxParamA is left (natively ExitProcess throws through it).
struct DialogGuard {
  HWND dialog;
  ~DialogGuard() { DestroyDialog(dialog); }
};

HWND CreateDialogWindows(const DialogTemplate& dialogTemplate, const std::string& image, HWND parent, DLGPROC proc) {
  LCID lcid = M().profile.lcid;
  Window dialog;
  dialog.isDialog = true;
  dialog.parent = parent;
  dialog.className = "#32770";
  dialog.text = sim::ToAnsi(dialogTemplate.caption, lcid);
  dialog.style = dialogTemplate.style;
  dialog.exStyle = dialogTemplate.exStyle;
  dialog.proc = proc;
  dialog.templateName = image + " " + dialogTemplate.name;
  HWND handle = NewWindow(dialog);
  for (const ControlTemplate& control : dialogTemplate.controls) {
    Window child;
    child.parent = handle;
    child.id = control.id;
    child.className = control.className;
    child.text = control.text.rfind("#", 0) == 0 ? "" : sim::ToAnsi(control.text, lcid);
    child.style = control.style;
    child.exStyle = control.exStyle;
    HWND childHandle = NewWindow(child);
    Find(handle)->children.push_back(childHandle);
  }
  return handle;
}

}  // namespace

}  // namespace sim::ui

// ---------------------------------------------------------------- the Win32 functions
using namespace sim::ui;
using namespace sim::ui::detail;
using sim::detail::Dec;
using sim::detail::Hex;
using sim::detail::M;
using sim::detail::Record;
using sim::detail::ResName;
using sim::detail::SetError;

namespace {
Window* FindOrFail(HWND handle) {
  auto it = Ui().windows.find(handle);
  if (it == Ui().windows.end()) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return &it->second;
}
}  // namespace

extern "C" {

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  std::string name = ResName(lpTemplateName);
  sim::detail::Module* module = sim::detail::ModuleByHandle(hInstance);
  std::string image = module ? module->image : "";
  auto templates = Ui().templates.find(image);
  const DialogTemplate* chosen = templates == Ui().templates.end() ? nullptr : ChooseTemplate(templates->second, name);
  if (!chosen) {
    SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
    Record("DialogBoxParamA", {image, name}, "-1");
    return -1;
  }

  HWND dialog = CreateDialogWindows(*chosen, image, hWndParent, lpDialogFunc);
  DialogGuard guard{dialog};
  Ui().activeDialogs.push_back(dialog);
  Record("DialogBoxParamA", {image, name, Hex(chosen->language)}, "created");

  HWND firstTabStop = nullptr;
  for (HWND child : Find(dialog)->children)
    if (!firstTabStop && (Find(child)->style & WS_TABSTOP)) firstTabStop = child;
  SendToDialog(dialog, WM_INITDIALOG, (WPARAM)firstTabStop, dwInitParam);

  while (!Find(dialog)->ended) {
    if (Ui().script.empty()) {
      Ui().problems.push_back(Find(dialog)->templateName + " waited for the user, but the script had no action left");
      Find(dialog)->result = -1;
      break;
    }
    Action action = Ui().script.front();
    Ui().script.pop_front();
    Perform(dialog, action);
  }

  INT_PTR result = Find(dialog)->result;
  Ui().dialogs.push_back({image, chosen->name.rfind("#", 0) == 0 ? std::stoi(chosen->name.substr(1)) : 0,
                          chosen->language, result});
  Record("DialogBoxParamA", {image, name}, Dec(result));
  return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  Window* window = FindOrFail(hDlg);
  Record("EndDialog", {Describe(hDlg), Dec(nResult)}, window && window->isDialog ? "1" : "0");
  if (!window || !window->isDialog) return FALSE;
  window->ended = true;
  window->result = nResult;
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  if (!FindOrFail(hDlg)) return nullptr;
  Window* control = Child(hDlg, nIDDlgItem);
  if (!control) {
    SetError(1421);  // ERROR_CONTROL_ID_NOT_FOUND
    return nullptr;
  }
  return control->handle;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  Window* window = FindOrFail(hWnd);
  return window ? window->id : 0;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = FindOrFail(hWnd);
  Record("SendMessageA", {Describe(hWnd), Hex(Msg), Dec((long long)wParam)}, window ? "sent" : "0");
  if (!window) return 0;
  if (window->isDialog) return SendToDialog(hWnd, Msg, wParam, lParam);
  return DefaultWindowMessage(window, Msg, wParam, lParam);
}

BOOL WINAPI IsWindow(HWND hWnd) {
  return Find(hWnd) != nullptr;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  Window* window = FindOrFail(hWnd);
  Record("ShowWindow", {Describe(hWnd), Dec(nCmdShow)}, window ? "1" : "0");
  if (!window) return FALSE;
  BOOL wasVisible = (window->style & WS_VISIBLE) != 0;
  if (nCmdShow == SW_HIDE)
    window->style &= ~WS_VISIBLE;
  else
    window->style |= WS_VISIBLE;
  return wasVisible;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  for (Window* window = Find(hWnd); window; window = window->parent ? Find(window->parent) : nullptr) {
    if (!(window->style & WS_VISIBLE)) return FALSE;
    if (!window->parent || window->isDialog) return TRUE;
  }
  return FALSE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  Window* window = FindOrFail(hWnd);
  Record("EnableWindow", {Describe(hWnd), Dec(bEnable)}, window ? "1" : "0");
  if (!window) return FALSE;
  BOOL wasDisabled = (window->style & WS_DISABLED) != 0;
  if (bEnable)
    window->style &= ~WS_DISABLED;
  else
    window->style |= WS_DISABLED;
  return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  Window* window = Find(hWnd);
  return window && !(window->style & WS_DISABLED);
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  Window* window = FindOrFail(hWnd);
  Record("SetWindowTextA", {Describe(hWnd), sim::detail::Str(lpString)}, window ? "1" : "0");
  if (!window) return FALSE;
  if (window->isDialog) return (BOOL)SendToDialog(hWnd, WM_SETTEXT, 0, (LPARAM)lpString);
  window->text = lpString ? lpString : "";
  return TRUE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  Window* window = FindOrFail(hWnd);
  if (!window || nMaxCount <= 0) return 0;
  return (int)DefaultWindowMessage(window, WM_GETTEXT, (WPARAM)nMaxCount, (LPARAM)lpString);
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
  Window* window = FindOrFail(hWnd);
  return window ? (int)window->text.size() : 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  Window* window = FindOrFail(hWnd);
  if (!window) return 0;
  LONG_PTR previous = window->longs[nIndex];
  window->longs[nIndex] = dwNewLong;
  SetError(0);
  return previous;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
  Window* window = FindOrFail(hWnd);
  if (!window) return 0;
  if (window->isDialog && nIndex == DWLP_DLGPROC) return reinterpret_cast<LONG_PTR>(window->proc);
  auto it = window->longs.find(nIndex);
  return it == window->longs.end() ? 0 : it->second;
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
  HWND button = GetDlgItem(hDlg, nIDButton);
  if (!button) return FALSE;
  SendMessageA(button, BM_SETCHECK, uCheck, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
  HWND button = GetDlgItem(hDlg, nIDButton);
  return button ? (UINT)SendMessageA(button, BM_GETCHECK, 0, 0) : 0;
}

// An icon of the module's resources (type ICON or RT_GROUP_ICON), or a system icon when hInstance is NULL.
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  std::string name = ResName(lpIconName);
  std::string image = "(system)";
  bool found = hInstance == nullptr;
  if (!found) {
    sim::detail::Module* module = sim::detail::ModuleByHandle(hInstance);
    const sim::Image* registered = module ? sim::FindImage(module->image) : nullptr;
    image = module ? module->image : "?";
    for (const sim::Resource& resource : registered ? registered->resources : std::vector<sim::Resource>()) {
      bool isIcon = resource.type == "ICON" || resource.type == "#14" || resource.type == "#3";
      if (isIcon && sim::detail::IEquals(resource.name, name)) found = true;
    }
  }
  HICON icon = found ? reinterpret_cast<HICON>(SharedHandle("icon|" + image + "|" + name)) : nullptr;
  if (!found) SetError(ERROR_RESOURCE_NAME_NOT_FOUND);
  Record("LoadIconA", {image, name}, found ? "icon" : "(null)");
  return icon;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  std::string name = ResName(lpCursorName);
  Record("LoadCursorA", {sim::detail::HandleText(hInstance), name}, "cursor");
  return reinterpret_cast<HCURSOR>(SharedHandle("cursor|" + name));
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
  HCURSOR previous = Ui().cursor;
  Ui().cursor = hCursor;
  std::string name = "(null)";
  if (hCursor) {
    auto it = Ui().handleNames.find(hCursor);
    name = it != Ui().handleNames.end() && it->second.rfind("cursor|", 0) == 0 ? it->second.substr(7) : "?";
  }
  Ui().cursorHistory.push_back(name);
  Record("SetCursor", {name}, "");
  return previous;
}

}  // extern "C"

// ---------------------------------------------------------------- test control
namespace sim::ui {

void Reset() {
  UiState& ui = Ui();
  ui.windows.clear();
  ui.activeDialogs.clear();
  ui.script.clear();
  ui.dialogs.clear();
  ui.problems.clear();
  ui.cursor = nullptr;
  ui.cursorHistory.clear();
}

bool LoadDialogTemplates(const std::string& imageName, const std::string& rcPath, std::string* error) {
  std::vector<DialogTemplate> templates;
  if (!ParseDialogTemplates(rcPath, &templates, error)) return false;
  Ui().templates[imageName] = templates;
  return true;
}

void Click(int controlId) { Ui().script.push_back({Action::kClick, controlId, nullptr}); }
void Close() { Ui().script.push_back({Action::kClose, 0, nullptr}); }
void PressEscape() { Ui().script.push_back({Action::kEscape, 0, nullptr}); }
void Do(std::function<void(HWND dialog)> action) { Ui().script.push_back({Action::kDo, 0, std::move(action)}); }
size_t PendingActions() { return Ui().script.size(); }

const std::vector<DialogRecord>& Dialogs() { return Ui().dialogs; }
const std::vector<std::string>& Problems() { return Ui().problems; }

HWND ActiveDialog() { return Ui().activeDialogs.empty() ? nullptr : Ui().activeDialogs.back(); }

std::optional<ControlState> Control(HWND dialog, int controlId) {
  Window* control = Child(dialog, controlId);
  if (!control) return std::nullopt;
  return ControlState{control->id,
                      control->className,
                      control->text,
                      control->style,
                      IsWindowVisible(control->handle) != FALSE,
                      !(control->style & WS_DISABLED),
                      control->check};
}

HICON DialogIcon(HWND dialog, bool big) {
  Window* window = Find(dialog);
  return window ? (big ? window->bigIcon : window->smallIcon) : nullptr;
}

HCURSOR CurrentCursor() { return Ui().cursor; }
std::vector<std::string> CursorHistory() { return Ui().cursorHistory; }

}  // namespace sim::ui
