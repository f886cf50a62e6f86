// MessageBoxA answered from the test's script; every box is recorded.
#include "machine.h"

using namespace sim::detail;

extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  Machine& m = M();
  sim::MessageBoxRecord box{owner, Str(text), Str(caption), type, m.defaultAnswer, false};
  if (m.boxHandler) {
    std::function<int(const sim::MessageBoxRecord&)> handler = m.boxHandler;
    box.answer = handler(box);
    box.expected = true;
  } else if (!m.answers.empty()) {
    ExpectedBox next = m.answers.front();
    m.answers.pop_front();
    box.answer = next.answer;
    box.expected = next.textContains.empty() || box.text.find(next.textContains) != std::string::npos;
  }
  m.boxes.push_back(box);
  SetError(ERROR_SUCCESS);
  Record("MessageBoxA", {owner ? HandleText(owner) : "(null)", box.text, box.caption, Hex(type)}, Dec(box.answer));
  return box.answer;
}

extern "C" BOOL WINAPI MessageBeep(UINT) { return TRUE; }

namespace sim {

void ExpectMessageBox(int answer, const std::string& textContains) {
  M().answers.push_back(ExpectedBox{answer, textContains});
}

void SetDefaultMessageBoxAnswer(int answer) { M().defaultAnswer = answer; }

void SetMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler) { M().boxHandler = std::move(handler); }

const std::vector<MessageBoxRecord>& MessageBoxes() { return M().boxes; }

std::vector<std::string> UnexpectedMessageBoxes() {
  std::vector<std::string> unexpected;
  for (const MessageBoxRecord& box : M().boxes)
    if (!box.expected) unexpected.push_back(box.caption + " | " + box.text);
  return unexpected;
}

size_t PendingMessageBoxAnswers() { return M().answers.size(); }

}  // namespace sim
