// INF reading for the device installer: sections, entries split into fields, %strings% replaced.
#include "devices.h"

#include <cstdio>

namespace sim::detail {

namespace {

std::string Trim(const std::string& text) {
  size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(start, end - start + 1);
}

// The line up to a ';' that is not inside quotes.
std::string StripComment(const std::string& line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ';' && !quoted) return line.substr(0, i);
  }
  return line;
}

std::string Unquote(std::string text) {
  text = Trim(text);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  return text;
}

std::vector<std::string> SplitFields(const std::string& value) {
  std::vector<std::string> fields;
  std::string current;
  bool quoted = false;
  for (char c : value) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      fields.push_back(Trim(current));
      current.clear();
    } else {
      current += c;
    }
  }
  fields.push_back(Trim(current));
  return fields;
}

std::string Substitute(const std::string& text, const std::map<std::string, std::string, CaseLess>& strings) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t open = text.find('%', pos);
    size_t close = open == std::string::npos ? std::string::npos : text.find('%', open + 1);
    if (close == std::string::npos) {
      out += text.substr(pos);
      break;
    }
    out += text.substr(pos, open - pos);
    std::string name = text.substr(open + 1, close - open - 1);
    auto found = strings.find(name);
    // Unknown names (dirids such as %12%) stay as written.
    out += found != strings.end() ? found->second : text.substr(open, close - open + 1);
    pos = close + 1;
  }
  return out;
}

}  // namespace

const InfLine* InfFile::Find(const std::string& section, const std::string& key) const {
  auto found = sections.find(section);
  if (found == sections.end()) return nullptr;
  for (const InfLine& line : found->second)
    if (IEquals(line.key, key)) return &line;
  return nullptr;
}

std::string InfFile::Value(const std::string& section, const std::string& key) const {
  const InfLine* line = Find(section, key);
  return line && !line->fields.empty() ? line->fields[0] : "";
}

bool ReadInf(const std::string& path, InfFile& inf) {
  const FileEntry* entry = FindEntry(path);
  if (!entry || entry->directory) return false;
  std::string text(entry->data.begin(), entry->data.end());

  std::string section;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string line = Trim(StripComment(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos)));
    pos = end == std::string::npos ? text.size() : end + 1;
    if (line.empty()) continue;
    if (line[0] == '[') {
      section = Trim(line.substr(1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1));
      inf.sections[section];
      continue;
    }
    if (section.empty()) continue;
    InfLine entryLine;
    size_t equals = line.find('=');
    if (equals != std::string::npos) {
      entryLine.key = Trim(line.substr(0, equals));
      entryLine.value = Trim(line.substr(equals + 1));
    } else {
      entryLine.value = line;
    }
    inf.sections[section].push_back(entryLine);
  }

  std::map<std::string, std::string, CaseLess> strings;
  for (const InfLine& line : inf.sections["Strings"]) strings[line.key] = Unquote(line.value);
  for (auto& [name, lines] : inf.sections)
    for (InfLine& line : lines) {
      line.key = Substitute(line.key, strings);
      for (const std::string& field : SplitFields(line.value)) line.fields.push_back(Unquote(Substitute(field, strings)));
    }
  return true;
}

bool ParseGuid(const std::string& text, GUID& guid) {
  unsigned d1, d2, d3, b[8];
  char close = 0;
  if (std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &d1, &d2, &d3, &b[0], &b[1], &b[2], &b[3],
                  &b[4], &b[5], &b[6], &b[7], &close) != 12 ||
      close != '}' || text.size() != 38)
    return false;
  guid.Data1 = d1;
  guid.Data2 = static_cast<WORD>(d2);
  guid.Data3 = static_cast<WORD>(d3);
  for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<BYTE>(b[i]);
  return true;
}

std::string GuidText(const GUID& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned>(guid.Data1),
                guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

}  // namespace sim::detail
