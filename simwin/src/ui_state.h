// State of the simulated windows and dialogs, shared by ui_windows.cpp and ui_dialog_templates.cpp.
#pragma once

#include <simwin/sim_ui.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "machine.h"

namespace sim::ui::detail {

struct ControlTemplate {
  int id = 0;
  std::string className;  // upper case: "BUTTON", "STATIC", "EDIT"
  std::string text;       // UTF-8, or "#<n>" for an icon id
  DWORD style = 0;
  DWORD exStyle = 0;
};

struct DialogTemplate {
  std::string name;  // "#102" or the upper-case name
  WORD language = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string caption;  // UTF-8
  std::vector<ControlTemplate> controls;
};

bool ParseDialogTemplates(const std::string& rcPath, std::vector<DialogTemplate>* out, std::string* error);

struct Window {
  HWND handle = nullptr;
  HWND parent = nullptr;
  bool isDialog = false;
  int id = 0;
  std::string className;
  std::string text;  // system code page
  DWORD style = 0;
  DWORD exStyle = 0;
  int check = BST_UNCHECKED;
  std::map<int, LONG_PTR> longs;
  DLGPROC proc = nullptr;
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  std::vector<HWND> children;  // in template order
  std::string templateName;
};

struct Action {
  enum Kind { kClick, kClose, kEscape, kDo } kind;
  int id = 0;
  std::function<void(HWND)> run;
};

struct UiState {
  std::map<std::string, std::vector<DialogTemplate>, sim::detail::CaseLess> templates;  // by image
  std::map<HWND, Window> windows;
  uintptr_t nextWindow = 0x50000;
  std::vector<HWND> activeDialogs;  // innermost last
  std::deque<Action> script;
  std::vector<DialogRecord> dialogs;
  std::vector<std::string> problems;
  HCURSOR cursor = nullptr;
  std::vector<std::string> cursorHistory;
  std::map<std::string, HANDLE> sharedHandles;  // icons and cursors by "<image>|<name>"
  std::map<HANDLE, std::string> handleNames;
  uintptr_t nextHandle = 0x70000;
};
UiState& Ui();

}  // namespace sim::ui::detail
