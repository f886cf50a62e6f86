// Reader of the project's resource scripts: string tables and single-file resources, with the
// preprocessor lines those scripts use. Block resources (dialogs, version blocks, menus) are
// skipped; they are not needed by the simulation's resource functions.
#include "machine.h"

#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>

namespace sim {

using namespace detail;

namespace {

struct Token {
  enum Kind { Word, String, Punct } kind;
  std::string text;
  int line;
};

struct Script {
  std::string path;
  std::string folder;
  std::map<std::string, long> defines;
  std::vector<Token> tokens;
  size_t at = 0;
  std::string error;

  bool Fail(const std::string& message, int line) {
    if (error.empty()) error = path + ":" + std::to_string(line) + ": " + message;
    return false;
  }
  bool AtEnd() const { return at >= tokens.size(); }
  const Token& Peek() const { return tokens[at]; }
  int Line() const { return AtEnd() ? (tokens.empty() ? 0 : tokens.back().line) : tokens[at].line; }
};

const std::map<std::string, long>& LanguageNames() {
  static const std::map<std::string, long> names = {
      {"LANG_NEUTRAL", 0x00},        {"LANG_CHINESE", 0x04},
      {"LANG_ENGLISH", 0x09},        {"LANG_JAPANESE", 0x11},
      {"LANG_GERMAN", 0x07},         {"LANG_FRENCH", 0x0C},
      {"SUBLANG_NEUTRAL", 0x00},     {"SUBLANG_DEFAULT", 0x01},
      {"SUBLANG_SYS_DEFAULT", 0x02}, {"SUBLANG_ENGLISH_US", 0x01},
      {"SUBLANG_ENGLISH_UK", 0x02},  {"SUBLANG_CHINESE_TRADITIONAL", 0x01},
      {"SUBLANG_CHINESE_SIMPLIFIED", 0x02}};
  return names;
}

bool ReadFile(const std::string& path, std::string* content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  *content = bytes.str();
  return true;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string Resolve(const std::string& folder, std::string file) {
  for (char& c : file)
    if (c == '\\') c = '/';
  return !file.empty() && file[0] == '/' ? file : folder + "/" + file;
}

void AppendUtf8(std::string* out, unsigned long codePoint) {
  if (codePoint < 0x80) {
    *out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    *out += static_cast<char>(0xC0 | (codePoint >> 6));
    *out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    *out += static_cast<char>(0xE0 | ((codePoint >> 12) & 0x0F));
    *out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

// Reads a string literal starting at the opening quote; rc's escapes and "" for a quote.
bool ReadString(const std::string& text, size_t* pos, bool wide, std::string* out) {
  size_t i = *pos + 1;
  while (i < text.size()) {
    char c = text[i];
    if (c == '"') {
      if (i + 1 < text.size() && text[i + 1] == '"') {
        *out += '"';
        i += 2;
        continue;
      }
      *pos = i + 1;
      return true;
    }
    if (c == '\n') return false;
    if (c != '\\' || i + 1 >= text.size()) {
      *out += c;
      ++i;
      continue;
    }
    char e = text[i + 1];
    i += 2;
    switch (e) {
      case 'n': *out += '\n'; break;
      case 'r': *out += '\r'; break;
      case 't': *out += '\t'; break;
      case 'a': *out += '\a'; break;
      case '"': *out += '"'; break;
      case '\\': *out += '\\'; break;
      case 'x': case 'X': {
        unsigned long value = 0;
        int digits = 0;
        while (digits < (wide ? 4 : 2) && i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i]))) {
          value = value * 16 + static_cast<unsigned long>(std::stoi(std::string(1, text[i]), nullptr, 16));
          ++i;
          ++digits;
        }
        AppendUtf8(out, value);
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          unsigned long value = static_cast<unsigned long>(e - '0');
          for (int digits = 1; digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7'; ++digits, ++i)
            value = value * 8 + static_cast<unsigned long>(text[i] - '0');
          AppendUtf8(out, value);
        } else {
          // Not an escape rc knows: both characters stay (paths such as "res\Icon.ico").
          *out += '\\';
          *out += e;
        }
    }
  }
  return false;
}

// ------------------------------------------------------------ preprocessor
bool EvalNumber(const Script& script, const std::string& word, long* value);

bool EvalCondition(const Script& script, std::string expression) {
  while (!expression.empty() && std::isspace(static_cast<unsigned char>(expression.back()))) expression.pop_back();
  bool negate = false;
  size_t start = expression.find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  expression = expression.substr(start);
  if (expression[0] == '!') {
    negate = true;
    expression = expression.substr(1);
  }
  bool result;
  if (expression.rfind("defined", 0) == 0) {
    std::string name;
    for (char c : expression.substr(7))
      if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') name += c;
    result = script.defines.count(name) != 0;
  } else {
    long value = 0;
    result = EvalNumber(script, expression, &value) && value != 0;
  }
  return negate ? !result : result;
}

bool ParseHeader(Script& script, const std::string& path, int depth);

// Handles one '#' line; `active` is the state of the enclosing conditionals.
void Directive(Script& script, const std::string& line, std::vector<std::pair<bool, bool>>& stack, int depth) {
  std::istringstream in(line.substr(line.find('#') + 1));
  std::string word;
  in >> word;
  std::string rest;
  std::getline(in, rest);
  bool active = stack.empty() || stack.back().first;
  if (word == "ifdef" || word == "ifndef" || word == "if") {
    std::string name = rest.substr(rest.find_first_not_of(" \t") == std::string::npos ? 0 : rest.find_first_not_of(" \t"));
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
    bool condition = word == "if" ? EvalCondition(script, rest)
                                  : (script.defines.count(name) != 0) == (word == "ifdef");
    stack.push_back({active && condition, condition});
  } else if (word == "elif" && !stack.empty()) {
    bool outer = stack.size() < 2 || stack[stack.size() - 2].first;
    bool condition = !stack.back().second && EvalCondition(script, rest);
    stack.back() = {outer && condition, stack.back().second || condition};
  } else if (word == "else" && !stack.empty()) {
    bool outer = stack.size() < 2 || stack[stack.size() - 2].first;
    stack.back() = {outer && !stack.back().second, true};
  } else if (word == "endif" && !stack.empty()) {
    stack.pop_back();
  } else if (!active) {
    return;
  } else if (word == "define") {
    std::istringstream def(rest);
    std::string name, value;
    def >> name;
    std::getline(def, value);
    long number = 0;
    script.defines[name] = EvalNumber(script, value, &number) ? number : 1;
  } else if (word == "undef") {
    std::istringstream def(rest);
    std::string name;
    def >> name;
    script.defines.erase(name);
  } else if (word == "include" && depth < 8) {
    size_t open = rest.find_first_of("\"<");
    size_t close = open == std::string::npos ? open : rest.find_first_of("\">", open + 1);
    if (close != std::string::npos) {
      // Headers of the project contribute their #define ids; system headers are not there.
      std::string file = Resolve(script.folder, rest.substr(open + 1, close - open - 1));
      ParseHeader(script, file, depth + 1);
    }
  }
  // #pragma code_page(65001) and others: the scripts are UTF-8, which is what is kept.
}

// Splits `text` into lines, applies the directives and returns the active lines (others blank).
std::string Preprocess(Script& script, const std::string& text, int depth) {
  std::vector<std::pair<bool, bool>> stack;  // (active, some branch taken)
  std::string out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line[first] == '#') {
      Directive(script, line, stack, depth);
      out += "\n";
      continue;
    }
    bool active = stack.empty() || stack.back().first;
    out += (active ? line : std::string()) + "\n";
  }
  return out;
}

bool ParseHeader(Script& script, const std::string& path, int depth) {
  std::string text;
  if (!ReadFile(path, &text)) return false;
  Script header;
  header.path = path;
  header.folder = FolderOf(path);
  header.defines = script.defines;
  Preprocess(header, text, depth);
  script.defines = header.defines;
  return true;
}

// ------------------------------------------------------------ tokens
bool Tokenize(Script& script, const std::string& text) {
  int line = 1;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\n') {
      ++line;
      ++i;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
      while (i < text.size() && text[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      size_t end = text.find("*/", i + 2);
      for (size_t k = i; k < std::min(end, text.size()); ++k)
        if (text[k] == '\n') ++line;
      i = end == std::string::npos ? text.size() : end + 2;
    } else if (c == '"' || (c == 'L' && i + 1 < text.size() && text[i + 1] == '"')) {
      bool wide = c == 'L';
      if (wide) ++i;
      std::string value;
      if (!ReadString(text, &i, wide, &value)) return script.Fail("unterminated string", line);
      script.tokens.push_back({Token::String, value, line});
    } else if (std::strchr(",{}()|+-", c)) {
      script.tokens.push_back({Token::Punct, std::string(1, c), line});
      ++i;
    } else {
      std::string word;
      while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && !std::strchr(",{}()|+-\"", text[i]))
        word += text[i++];
      script.tokens.push_back({Token::Word, word, line});
    }
  }
  return true;
}

bool EvalNumber(const Script& script, const std::string& word, long* value) {
  std::string text = word;
  size_t start = text.find_first_not_of(" \t(");
  size_t end = text.find_last_not_of(" \t)");
  if (start == std::string::npos) return false;
  text = text.substr(start, end - start + 1);
  auto named = script.defines.find(text);
  if (named != script.defines.end()) {
    *value = named->second;
    return true;
  }
  auto language = LanguageNames().find(text);
  if (language != LanguageNames().end()) {
    *value = language->second;
    return true;
  }
  while (!text.empty() && (text.back() == 'L' || text.back() == 'l' || text.back() == 'U' || text.back() == 'u'))
    text.pop_back();
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  char* endPtr = nullptr;
  long number = std::strtol(text.c_str(), &endPtr, 0);
  if (*endPtr != '\0') return false;
  *value = number;
  return true;
}

// A numeric expression of words joined by + - |, up to a comma, a string or a block keyword.
bool Expression(Script& script, long* value) {
  long result = 0;
  char op = '+';
  bool any = false;
  while (!script.AtEnd()) {
    const Token& token = script.Peek();
    if (token.kind == Token::Punct && (token.text == "+" || token.text == "-" || token.text == "|")) {
      op = token.text[0];
      ++script.at;
      continue;
    }
    if (token.kind != Token::Word || (any && op == 0)) break;
    long number = 0;
    if (!EvalNumber(script, token.text, &number)) break;
    result = op == '+' ? result + number : op == '-' ? result - number : (result | number);
    op = 0;
    any = true;
    ++script.at;
  }
  *value = result;
  return any;
}

bool IsBlockOpen(const Token& token) {
  return (token.kind == Token::Punct && token.text == "{") || (token.kind == Token::Word && token.text == "BEGIN");
}
bool IsBlockClose(const Token& token) {
  return (token.kind == Token::Punct && token.text == "}") || (token.kind == Token::Word && token.text == "END");
}

// Skips from the current token to the end of the next BEGIN ... END block.
bool SkipBlock(Script& script) {
  int line = script.Line();
  while (!script.AtEnd() && !IsBlockOpen(script.Peek())) ++script.at;
  if (script.AtEnd()) return script.Fail("block without BEGIN", line);
  int depth = 0;
  do {
    if (IsBlockOpen(script.Peek())) ++depth;
    if (IsBlockClose(script.Peek())) --depth;
    ++script.at;
  } while (depth > 0 && !script.AtEnd());
  return depth == 0 || script.Fail("block without END", line);
}

bool LanguageStatement(Script& script, WORD* language) {
  long primary = 0, sub = 0;
  int line = script.Line();
  if (!Expression(script, &primary)) return script.Fail("LANGUAGE without a primary language", line);
  if (script.AtEnd() || script.Peek().text != ",") return script.Fail("LANGUAGE without a comma", line);
  ++script.at;
  if (!Expression(script, &sub)) return script.Fail("LANGUAGE without a sublanguage", line);
  *language = static_cast<WORD>(MAKELANGID(primary, sub));
  return true;
}

const std::set<std::string>& MemoryOptions() {
  static const std::set<std::string> options = {"PRELOAD", "LOADONCALL", "FIXED",  "MOVEABLE", "DISCARDABLE",
                                                "PURE",    "IMPURE",     "SHARED", "NONSHARED"};
  return options;
}

bool StringTable(Script& script, Image& image, WORD language) {
  while (!script.AtEnd() && !IsBlockOpen(script.Peek())) {
    const Token& token = script.Peek();
    if (token.kind == Token::Word && token.text == "LANGUAGE") {
      ++script.at;
      if (!LanguageStatement(script, &language)) return false;
    } else if (token.kind == Token::Word && (token.text == "CHARACTERISTICS" || token.text == "VERSION")) {
      script.at += 2;
    } else {
      ++script.at;  // memory options
    }
  }
  if (script.AtEnd()) return script.Fail("STRINGTABLE without BEGIN", script.Line());
  ++script.at;
  while (!script.AtEnd() && !IsBlockClose(script.Peek())) {
    int line = script.Line();
    long id = 0;
    if (!Expression(script, &id)) return script.Fail("string id expected, found '" + script.Peek().text + "'", line);
    if (!script.AtEnd() && script.Peek().text == ",") ++script.at;
    if (script.AtEnd() || script.Peek().kind != Token::String) return script.Fail("string expected", line);
    std::string text;
    while (!script.AtEnd() && script.Peek().kind == Token::String) text += script.tokens[script.at++].text;
    image.SetString(static_cast<UINT>(id), text, language);
  }
  if (script.AtEnd()) return script.Fail("STRINGTABLE without END", script.Line());
  ++script.at;
  return true;
}

std::string ResourceName(const Script& script, const Token& token) {
  long id = 0;
  if (token.kind == Token::Word && EvalNumber(script, token.text, &id)) return "#" + std::to_string(id);
  return Upper(token.text);
}

// Types whose data follows in a block (or that carry no file); everything else names a file.
bool IsBlockType(const std::string& type) {
  static const std::set<std::string> types = {"DIALOG",     "DIALOGEX",  "MENU",       "MENUEX",
                                              "ACCELERATORS", "VERSIONINFO", "TOOLBAR", "DLGINIT",
                                              "TEXTINCLUDE", "DESIGNINFO", "GUIDELINES", "AFX_DIALOG_LAYOUT"};
  return types.count(type) != 0;
}

std::string TypeKey(const Script& script, const Token& token) {
  static const std::map<std::string, std::string> standard = {
      {"CURSOR", "#12"}, {"BITMAP", "#2"}, {"ICON", "#14"}, {"RCDATA", "#10"}, {"FONT", "#8"},
      {"MESSAGETABLE", "#11"}, {"HTML", "#23"}, {"MANIFEST", "#24"}};
  auto it = standard.find(Upper(token.text));
  if (token.kind == Token::Word && it != standard.end()) return it->second;
  return ResourceName(script, token);
}

bool FileResource(Script& script, Image& image, const std::string& name, const std::string& type, WORD language) {
  while (!script.AtEnd() && script.Peek().kind == Token::Word && MemoryOptions().count(script.Peek().text)) ++script.at;
  if (script.AtEnd()) return script.Fail("resource without data", script.Line());
  if (IsBlockOpen(script.Peek())) return SkipBlock(script);  // inline data, not needed
  const Token& file = script.tokens[script.at++];
  std::string path = Resolve(script.folder, file.text);
  std::string bytes;
  if (!ReadFile(path, &bytes)) return script.Fail("cannot read '" + path + "'", file.line);
  // A bitmap resource holds the file without its 14-byte file header.
  if (type == "#2" && bytes.size() >= 14 && bytes.compare(0, 2, "BM") == 0) bytes = bytes.substr(14);
  image.SetResource(type, name, bytes, language);
  return true;
}

bool Statements(Script& script, Image& image) {
  WORD language = 0;
  while (!script.AtEnd() && script.error.empty()) {
    const Token& token = script.Peek();
    if (token.kind == Token::Word && token.text == "LANGUAGE") {
      ++script.at;
      if (!LanguageStatement(script, &language)) return false;
    } else if (token.kind == Token::Word && token.text == "STRINGTABLE") {
      ++script.at;
      if (!StringTable(script, image, language)) return false;
    } else if (script.at + 1 < script.tokens.size()) {
      const Token& typeToken = script.tokens[script.at + 1];
      std::string name = ResourceName(script, token);
      script.at += 2;
      if (typeToken.kind == Token::Word && IsBlockType(typeToken.text)) {
        if (!SkipBlock(script)) return false;
      } else if (!FileResource(script, image, name, TypeKey(script, typeToken), language)) {
        return false;
      }
    } else {
      return script.Fail("unexpected '" + token.text + "'", token.line);
    }
  }
  return script.error.empty();
}

}  // namespace

bool LoadRcScript(Image& image, const std::string& rcPath, std::string* error) {
  Script script;
  script.path = rcPath;
  script.folder = FolderOf(rcPath);
  std::string text;
  bool ok = ReadFile(rcPath, &text) || script.Fail("cannot read the script", 0);
  if (ok && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text = text.substr(3);
  ok = ok && Tokenize(script, Preprocess(script, text, 0)) && Statements(script, image);
  if (!ok && error) *error = script.error;
  return ok;
}

bool LoadRcScriptInto(const std::string& imageName, const std::string& rcPath, std::string* error) {
  Image* existing = FindImage(imageName);
  Image image = existing ? *existing : Image();
  image.name = imageName;
  if (!LoadRcScript(image, rcPath, error)) return false;
  RegisterImage(image);
  return true;
}

}  // namespace sim
