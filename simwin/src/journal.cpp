// The call journal: one record per simulated call, for order- and argument-sensitive tests.
#include "machine.h"

namespace sim {

using namespace detail;

std::string Call::Text() const {
  std::string text = function + "(";
  for (size_t i = 0; i < args.size(); ++i) text += (i ? ", " : "") + args[i];
  return text + ") = " + result + " [" + std::to_string(lastError) + "]";
}

const std::vector<Call>& Journal() { return M().journal; }

void ClearJournal() { M().journal.clear(); }

std::string JournalText() {
  std::string text;
  for (const Call& call : M().journal) text += call.Text() + "\n";
  return text;
}

static bool Matches(const Call& call, const std::string& function, const std::string& argument) {
  if (call.function != function) return false;
  if (argument.empty()) return true;
  for (const std::string& arg : call.args)
    if (IEquals(arg, argument)) return true;
  return false;
}

std::vector<Call> Calls(const std::string& function, const std::string& argument) {
  std::vector<Call> found;
  for (const Call& call : M().journal)
    if (Matches(call, function, argument)) found.push_back(call);
  return found;
}

size_t CountCalls(const std::string& function, const std::string& argument) {
  return Calls(function, argument).size();
}

long FindCall(const std::string& function, const std::string& argument, size_t from) {
  const std::vector<Call>& journal = M().journal;
  for (size_t i = from; i < journal.size(); ++i)
    if (Matches(journal[i], function, argument)) return static_cast<long>(i);
  return -1;
}

namespace detail {

void Record(const std::string& function, std::vector<std::string> args, const std::string& result) {
  M().journal.push_back(Call{function, std::move(args), result, M().lastError});
}

void SetError(DWORD error) { M().lastError = error; }
DWORD LastError() { return M().lastError; }

}  // namespace detail
}  // namespace sim
