// Small text helpers of the simulation: case folding and rendering of call arguments.
#include "machine.h"

#include <cctype>
#include <cstdio>

namespace sim::detail {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool IEquals(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

bool IContains(const std::string& haystack, const std::string& needle) {
  return Upper(haystack).find(Upper(needle)) != std::string::npos;
}

bool CaseLess::operator()(const std::string& a, const std::string& b) const { return Upper(a) < Upper(b); }

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string Dec(long long value) { return std::to_string(value); }

std::string Str(LPCSTR text) { return text ? std::string(text) : std::string("(null)"); }

std::string ResName(LPCSTR nameOrId) {
  if (nameOrId == nullptr) return "(null)";
  if (IS_INTRESOURCE(nameOrId)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(nameOrId));
  return nameOrId;
}

std::string HandleText(const void* handle) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", handle);
  return text;
}

}  // namespace sim::detail
