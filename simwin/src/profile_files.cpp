// GetPrivateProfileStringA over files of the simulated disk (INF files are read this way).
#include "machine.h"

#include <cstdlib>
#include <cstring>

using namespace sim::detail;

namespace {

struct Entry {
  std::string key;
  std::string value;
};
struct Section {
  std::string name;
  std::vector<Entry> entries;
};

std::string Trim(const std::string& text) {
  size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(start, end - start + 1);
}

std::vector<Section> Parse(const std::string& text) {
  std::vector<Section> sections;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    std::string line = Trim(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    pos = end == std::string::npos ? text.size() + 1 : end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      sections.push_back(Section{line.substr(1, close == std::string::npos ? std::string::npos : close - 1), {}});
      continue;
    }
    if (sections.empty()) continue;
    size_t equals = line.find('=');
    std::string key = Trim(line.substr(0, equals));
    std::string value = equals == std::string::npos ? "" : Trim(line.substr(equals + 1));
    // One pair of quotes around the whole value is removed.
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    sections.back().entries.push_back(Entry{key, value});
  }
  return sections;
}

// A list of names, each terminated, the whole ended by an extra NUL; truncated lists end in two
// NULs and report size - 2, as Windows does.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
  if (size < 2) {
    if (size == 1) buffer[0] = '\0';
    return 0;
  }
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(list.size());
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = buffer[size - 1] = '\0';
  return size - 2;
}

DWORD CopyText(const std::string& text, LPSTR buffer, DWORD size) {
  if (size == 0) return 0;
  size_t length = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}

std::string ProfilePath(LPCSTR fileName) {
  std::string name = Str(fileName);
  return name.find_first_of("\\/") == std::string::npos ? M().windowsDir + "\\" + name : name;
}

}  // namespace

extern "C" {

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                                      LPCSTR fileName) {
  std::vector<std::string> args{Str(section), Str(key), ProfilePath(fileName), Dec(size)};
  std::optional<std::string> content = sim::FileContent(ProfilePath(fileName));
  std::vector<Section> sections = content ? Parse(*content) : std::vector<Section>();
  SetError(content ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
  DWORD result = 0;
  if (buffer == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
  } else if (section == nullptr) {
    std::vector<std::string> names;
    for (const Section& each : sections) names.push_back(each.name);
    result = CopyList(names, buffer, size);
  } else {
    const Section* found = nullptr;
    for (const Section& each : sections)
      if (IEquals(each.name, section) && !found) found = &each;
    if (found && key == nullptr) {
      std::vector<std::string> names;
      for (const Entry& entry : found->entries) names.push_back(entry.key);
      result = CopyList(names, buffer, size);
    } else {
      const Entry* value = nullptr;
      if (found)
        for (const Entry& entry : found->entries)
          if (key && IEquals(entry.key, key) && !value) value = &entry;
      if (value) {
        result = CopyText(value->value, buffer, size);
      } else {
        std::string fallback = defaultValue ? defaultValue : "";
        while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
        result = CopyText(fallback, buffer, size);
        if (content) SetError(ERROR_FILE_NOT_FOUND);
      }
    }
  }
  Record("GetPrivateProfileStringA", args, Dec(result));
  return result;
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  char text[64];
  std::string fallback = std::to_string(defaultValue);
  GetPrivateProfileStringA(section, key, fallback.c_str(), text, sizeof text, fileName);
  return static_cast<UINT>(std::strtol(text, nullptr, 0));
}

}  // extern "C"
