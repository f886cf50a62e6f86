#include "inf_reader.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace {

std::string Trim(const std::string& s) {
  size_t begin = s.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  size_t end = s.find_last_not_of(" \t\r");
  return s.substr(begin, end - begin + 1);
}

std::string StripComment(const std::string& line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ';' && !quoted) return line.substr(0, i);
  }
  return line;
}

std::string Unquote(const std::string& field) {
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') return field.substr(1, field.size() - 2);
  return field;
}

}  // namespace

std::vector<std::string> SplitFields(const std::string& value) {
  std::vector<std::string> fields;
  std::string current;
  bool quoted = false;
  for (char c : value) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      fields.push_back(Unquote(Trim(current)));
      current.clear();
    } else {
      current += c;
    }
  }
  fields.push_back(Unquote(Trim(current)));
  return fields;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

InfFile ParseInf(const std::string& text) {
  InfFile inf;
  std::istringstream in(text);
  std::string raw;
  while (std::getline(in, raw)) {
    std::string line = Trim(StripComment(raw));
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      inf.sections.push_back({line.substr(1, line.size() - 2), {}});
      continue;
    }
    if (inf.sections.empty()) continue;
    InfLine entry;
    size_t eq = line.find('=');
    if (eq != std::string::npos && line.find('"') > eq) {
      entry.key = Trim(line.substr(0, eq));
      entry.value = Trim(line.substr(eq + 1));
    } else {
      entry.value = line;
    }
    entry.fields = SplitFields(entry.value);
    inf.sections.back().lines.push_back(entry);
  }
  return inf;
}

const InfSection* InfFile::Find(const std::string& section) const {
  for (const InfSection& s : sections)
    if (EqualsNoCase(s.name, section)) return &s;
  return nullptr;
}

std::vector<std::string> InfFile::Values(const std::string& section, const std::string& key) const {
  std::vector<std::string> values;
  if (const InfSection* s = Find(section))
    for (const InfLine& line : s->lines)
      if (EqualsNoCase(line.key, key)) values.push_back(line.value);
  return values;
}

std::string InfFile::Value(const std::string& section, const std::string& key) const {
  std::vector<std::string> values = Values(section, key);
  return values.empty() ? "" : Unquote(values.front());
}

std::string InfFile::Expand(const std::string& text) const {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find('%', i);
    size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) {
      out += text.substr(i);
      break;
    }
    out += text.substr(i, open - i) + Value("Strings", text.substr(open + 1, close - open - 1));
    i = close + 1;
  }
  return out;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string PayloadSource(const std::string& relative) { return std::string(TAVREL_SOURCE_DIR) + "/payload/" + relative; }
