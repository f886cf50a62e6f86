// Fault injection: a simulated call fails (or writes short) when a matching fault is pending.
#include "machine.h"

namespace sim {

using namespace detail;

void InjectFault(const Fault& fault) { M().faults.push_back(fault); }

void FailOnce(const std::string& function, DWORD error, const std::string& argument) {
  InjectFault(Fault{function, argument, error, 1, -1});
}

void FailAlways(const std::string& function, DWORD error, const std::string& argument) {
  InjectFault(Fault{function, argument, error, -1, -1});
}

void ShortWrite(DWORD bytesWritten, const std::string& path, int times) {
  InjectFault(Fault{"WriteFile", path, ERROR_SUCCESS, times, static_cast<long>(bytesWritten)});
}

void ClearFaults() { M().faults.clear(); }

namespace detail {

// Paths match however they are spelled ("c:/windows/x" and "C:\\WINDOWS\\X"); names by case.
static bool SameArgument(const std::string& wanted, const std::string& actual) {
  if (IEquals(wanted, actual)) return true;
  bool paths = wanted.find(':') != std::string::npos && actual.find(':') != std::string::npos;
  return paths && !PathKey(wanted).empty() && PathKey(wanted) == PathKey(actual);
}

const Fault* TakeFault(const std::string& function, const std::string& argument) {
  for (Fault& fault : M().faults) {
    if (fault.function != function || fault.times == 0) continue;
    if (!fault.argument.empty() && !SameArgument(fault.argument, argument)) continue;
    if (fault.times > 0) --fault.times;
    return &fault;
  }
  return nullptr;
}

}  // namespace detail
}  // namespace sim
