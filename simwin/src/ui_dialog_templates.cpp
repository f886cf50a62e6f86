// Reads the DIALOG and DIALOGEX blocks of a resource script into dialog templates.
#include <cctype>
#include <fstream>
#include <sstream>

#include "ui_state.h"

namespace sim::ui::detail {

namespace {

struct Token {
  enum Kind { kWord, kNumber, kString, kPunct } kind;
  std::string text;   // word, string contents (UTF-8) or punctuation
  long long value = 0;
  int line = 0;
};

const std::map<std::string, DWORD>& StyleNames() {
  static const std::map<std::string, DWORD> names = {
      {"WS_OVERLAPPED", WS_OVERLAPPED}, {"WS_POPUP", WS_POPUP},         {"WS_CHILD", WS_CHILD},
      {"WS_VISIBLE", WS_VISIBLE},       {"WS_DISABLED", WS_DISABLED},   {"WS_CAPTION", WS_CAPTION},
      {"WS_SYSMENU", WS_SYSMENU},       {"WS_GROUP", WS_GROUP},         {"WS_TABSTOP", WS_TABSTOP},
      {"WS_EX_STATICEDGE", WS_EX_STATICEDGE}, {"WS_EX_APPWINDOW", WS_EX_APPWINDOW},
      {"DS_SETFONT", DS_SETFONT},       {"DS_MODALFRAME", DS_MODALFRAME},
      {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON}, {"BS_CHECKBOX", BS_CHECKBOX},
      {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX}, {"BS_RADIOBUTTON", BS_RADIOBUTTON}, {"BS_GROUPBOX", BS_GROUPBOX},
      {"BS_AUTORADIOBUTTON", BS_AUTORADIOBUTTON}, {"SS_LEFT", SS_LEFT}, {"SS_ICON", SS_ICON},
      {"SS_BLACKFRAME", SS_BLACKFRAME}, {"SS_SUNKEN", SS_SUNKEN}};
  return names;
}

// Class and default style of each control statement; CONTROL names its class itself.
struct ControlKind {
  const char* className;
  DWORD style;
  bool hasText;
};
const std::map<std::string, ControlKind>& ControlKinds() {
  static const std::map<std::string, ControlKind> kinds = {
      {"PUSHBUTTON", {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, true}},
      {"DEFPUSHBUTTON", {"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, true}},
      {"LTEXT", {"STATIC", SS_LEFT | WS_GROUP, true}},
      {"CTEXT", {"STATIC", 0x1 | WS_GROUP, true}},
      {"RTEXT", {"STATIC", 0x2 | WS_GROUP, true}},
      {"GROUPBOX", {"BUTTON", BS_GROUPBOX, true}},
      {"AUTOCHECKBOX", {"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, true}},
      {"AUTORADIOBUTTON", {"BUTTON", BS_AUTORADIOBUTTON, true}},
      {"CHECKBOX", {"BUTTON", BS_CHECKBOX | WS_TABSTOP, true}},
      {"RADIOBUTTON", {"BUTTON", BS_RADIOBUTTON, true}},
      {"ICON", {"STATIC", SS_ICON, true}},
      {"CONTROL", {"", 0, true}},
  };
  return kinds;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r\n");
  size_t end = text.find_last_not_of(" \t\r\n");
  return begin == std::string::npos ? "" : text.substr(begin, end - begin + 1);
}

class Parser {
 public:
  Parser(std::string path, std::string* error) : path_(std::move(path)), error_(error) {}

  bool Run(std::vector<DialogTemplate>* out) {
    if (!Tokenize(path_)) return false;
    WORD language = 0;
    while (pos_ < tokens_.size()) {
      const Token& token = tokens_[pos_];
      if (IsWord("LANGUAGE")) {
        ++pos_;
        if (!ReadLanguage(&language)) return false;
      } else if (IsWord("BEGIN") || IsPunct("{")) {
        SkipBlock();
      } else if (pos_ + 1 < tokens_.size() &&
                 (IsWordAt(pos_ + 1, "DIALOG") || IsWordAt(pos_ + 1, "DIALOGEX"))) {
        DialogTemplate dialog;
        dialog.language = language;
        if (!ReadDialog(&dialog)) return false;
        out->push_back(dialog);
      } else {
        (void)token;
        ++pos_;
      }
    }
    return true;
  }

 private:
  bool Fail(int line, const std::string& what) {
    if (error_) *error_ = path_ + ":" + std::to_string(line) + ": " + what;
    return false;
  }

  bool IsWordAt(size_t at, const char* word) const {
    return at < tokens_.size() && tokens_[at].kind == Token::kWord && sim::detail::IEquals(tokens_[at].text, word);
  }
  bool IsWord(const char* word) const { return IsWordAt(pos_, word); }
  bool IsPunct(const char* punct) const {
    return pos_ < tokens_.size() && tokens_[pos_].kind == Token::kPunct && tokens_[pos_].text == punct;
  }
  int Line() const { return pos_ < tokens_.size() ? tokens_[pos_].line : (tokens_.empty() ? 0 : tokens_.back().line); }

  // ---- reading the file: preprocessor lines, comments, tokens
  bool Tokenize(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail(0, "cannot read");
    std::stringstream content;
    content << in.rdbuf();
    std::string text = content.str();
    int line = 1;
    size_t i = 0;
    bool lineStart = true;
    while (i < text.size()) {
      char c = text[i];
      if (c == '\n') {
        ++line;
        ++i;
        lineStart = true;
        continue;
      }
      if (isspace((unsigned char)c)) {
        ++i;
        continue;
      }
      if (lineStart && c == '#') {
        size_t end = text.find('\n', i);
        std::string directive = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        if (!Directive(Trim(directive), line)) return false;
        i = end == std::string::npos ? text.size() : end;
        continue;
      }
      lineStart = false;
      if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
        while (i < text.size() && text[i] != '\n') ++i;
        continue;
      }
      if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
        size_t end = text.find("*/", i + 2);
        for (size_t k = i; k < (end == std::string::npos ? text.size() : end); ++k)
          if (text[k] == '\n') ++line;
        i = end == std::string::npos ? text.size() : end + 2;
        continue;
      }
      Token token;
      token.line = line;
      if (c == '"' || ((c == 'L' || c == 'l') && i + 1 < text.size() && text[i + 1] == '"')) {
        if (c != '"') ++i;
        token.kind = Token::kString;
        ++i;
        while (true) {
          if (i >= text.size() || text[i] == '\n') return Fail(line, "unterminated string");
          char s = text[i];
          if (s == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              token.text += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          if (s == '\\' && i + 1 < text.size()) {
            char e = text[i + 1];
            token.text += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e == '0' ? '\0' : e;
            i += 2;
            continue;
          }
          token.text += s;
          ++i;
        }
      } else if (isdigit((unsigned char)c) || (c == '-' && i + 1 < text.size() && isdigit((unsigned char)text[i + 1]))) {
        token.kind = Token::kNumber;
        size_t start = i;
        if (c == '-') ++i;
        while (i < text.size() && (isalnum((unsigned char)text[i]))) ++i;
        token.text = text.substr(start, i - start);
        std::string digits = token.text;
        while (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l' || digits.back() == 'U' ||
                                   digits.back() == 'u'))
          digits.pop_back();
        token.value = std::stoll(digits, nullptr, 0);
      } else if (isalpha((unsigned char)c) || c == '_') {
        token.kind = Token::kWord;
        size_t start = i;
        while (i < text.size() && (isalnum((unsigned char)text[i]) || text[i] == '_' || text[i] == '.')) ++i;
        token.text = text.substr(start, i - start);
      } else {
        token.kind = Token::kPunct;
        token.text = std::string(1, c);
        ++i;
      }
      tokens_.push_back(token);
    }
    return true;
  }

  bool Directive(const std::string& directive, int line) {
    std::istringstream words(directive.substr(1));
    std::string keyword;
    words >> keyword;
    if (keyword == "define") {
      std::string name, value;
      words >> name >> value;
      if (!value.empty() && (isdigit((unsigned char)value[0]) || value[0] == '-')) defines_[name] = std::stoll(value, nullptr, 0);
    } else if (keyword == "include") {
      std::string target;
      words >> target;
      if (target.size() > 2 && target.front() == '"') {
        std::string dir = path_.substr(0, path_.find_last_of('/') + 1);
        std::ifstream header(dir + target.substr(1, target.size() - 2));
        if (!header) return Fail(line, "cannot read " + target);
        std::string headerLine;
        while (std::getline(header, headerLine)) {
          std::string trimmed = Trim(headerLine);
          if (trimmed.rfind("#define", 0) == 0 && !Directive(trimmed, line)) return false;
        }
      }
    }
    return true;
  }

  void SkipBlock() {
    int depth = 0;
    do {
      if (IsWord("BEGIN") || IsPunct("{")) ++depth;
      if (IsWord("END") || IsPunct("}")) --depth;
      ++pos_;
    } while (pos_ < tokens_.size() && depth > 0);
  }

  // ---- values
  bool ReadTerm(long long* value) {
    if (pos_ >= tokens_.size()) return Fail(Line(), "value expected");
    const Token& token = tokens_[pos_];
    if (token.kind == Token::kNumber) {
      *value = token.value;
    } else if (token.kind == Token::kWord && defines_.count(token.text)) {
      *value = defines_.at(token.text);
    } else if (token.kind == Token::kWord && StyleNames().count(token.text)) {
      *value = StyleNames().at(token.text);
    } else if (IsPunct("(")) {
      ++pos_;
      if (!ReadStyle(0, value) || !IsPunct(")")) return Fail(Line(), "')' expected");
    } else {
      return Fail(token.line, "unknown value '" + token.text + "'");
    }
    ++pos_;
    return true;
  }

  // Style expressions apply left to right to the statement's default: "A | NOT B" adds A, removes B.
  bool ReadStyle(DWORD initial, long long* value) {
    long long result = initial;
    while (true) {
      bool negate = false;
      if (IsWord("NOT")) {
        negate = true;
        ++pos_;
      }
      long long term = 0;
      if (!ReadTerm(&term)) return false;
      if (negate)
        result &= ~term;
      else
        result |= term;
      if (!IsPunct("|")) break;
      ++pos_;
    }
    *value = result;
    return true;
  }

  bool Comma() {
    if (!IsPunct(",")) return false;
    ++pos_;
    return true;
  }

  bool ReadLanguage(WORD* language) {
    long long primary = 0, sub = 0;
    if (!ReadTerm(&primary) || !Comma() || !ReadTerm(&sub)) return Fail(Line(), "LANGUAGE a, b expected");
    *language = MAKELANGID(primary, sub);
    return true;
  }

  // ---- a dialog
  bool ReadDialog(DialogTemplate* dialog) {
    const Token& name = tokens_[pos_];
    if (name.kind == Token::kNumber)
      dialog->name = "#" + std::to_string(name.value);
    else if (defines_.count(name.text))
      dialog->name = "#" + std::to_string(defines_.at(name.text));
    else
      dialog->name = sim::detail::Upper(name.kind == Token::kString ? name.text : name.text);
    pos_ += 2;
    while (pos_ < tokens_.size() && !IsWord("BEGIN") && !IsPunct("{")) {
      if (IsWord("STYLE")) {
        ++pos_;
        long long style = 0;
        if (!ReadStyle(0, &style)) return false;
        dialog->style = (DWORD)style;
      } else if (IsWord("EXSTYLE")) {
        ++pos_;
        long long style = 0;
        if (!ReadStyle(0, &style)) return false;
        dialog->exStyle = (DWORD)style;
      } else if (IsWord("CAPTION")) {
        ++pos_;
        if (pos_ >= tokens_.size() || tokens_[pos_].kind != Token::kString) return Fail(Line(), "caption expected");
        dialog->caption = tokens_[pos_++].text;
      } else if (IsWord("LANGUAGE")) {
        ++pos_;
        if (!ReadLanguage(&dialog->language)) return false;
      } else {
        ++pos_;  // position, FONT and the like
      }
    }
    if (pos_ >= tokens_.size()) return Fail(Line(), "BEGIN expected");
    ++pos_;
    while (pos_ < tokens_.size() && !IsWord("END") && !IsPunct("}")) {
      ControlTemplate control;
      if (!ReadControl(&control)) return false;
      dialog->controls.push_back(control);
    }
    if (pos_ >= tokens_.size()) return Fail(Line(), "END expected");
    ++pos_;
    return true;
  }

  bool ReadText(std::string* text) {
    if (pos_ < tokens_.size() && tokens_[pos_].kind == Token::kString) {
      *text = tokens_[pos_++].text;
      return true;
    }
    long long id = 0;
    if (!ReadTerm(&id)) return false;
    *text = "#" + std::to_string(id);
    return true;
  }

  bool ReadControl(ControlTemplate* control) {
    const Token& keyword = tokens_[pos_];
    std::string upper = sim::detail::Upper(keyword.text);
    auto kind = ControlKinds().find(upper);
    if (keyword.kind != Token::kWord || kind == ControlKinds().end())
      return Fail(keyword.line, "unknown control statement '" + keyword.text + "'");
    ++pos_;
    const DWORD base = WS_CHILD | WS_VISIBLE;
    long long id = 0, number = 0, style = 0, exStyle = 0;
    if (!ReadText(&control->text) || !Comma() || !ReadTerm(&id) || !Comma())
      return Fail(keyword.line, "text and id expected");
    control->id = (int)id;
    if (upper == "CONTROL") {
      if (pos_ >= tokens_.size() || tokens_[pos_].kind != Token::kString) return Fail(keyword.line, "class expected");
      control->className = sim::detail::Upper(tokens_[pos_++].text);
      if (!Comma() || !ReadStyle(base, &style)) return Fail(keyword.line, "style expected");
      for (int i = 0; i < 4; ++i)
        if (!Comma() || !ReadTerm(&number)) return Fail(keyword.line, "position expected");
      if (Comma() && !ReadStyle(0, &exStyle)) return false;
      if (Comma() && !ReadTerm(&number)) return false;  // help id
    } else {
      control->className = kind->second.className;
      int positions = upper == "ICON" ? 2 : 4;
      for (int i = 0; i < positions; ++i)
        if ((i > 0 && !Comma()) || !ReadTerm(&number)) return Fail(keyword.line, "position expected");
      style = base | kind->second.style;
      if (upper == "ICON" && Comma()) {
        if (!ReadTerm(&number) || !Comma() || !ReadTerm(&number)) return Fail(keyword.line, "size expected");
      }
      if (Comma() && !ReadStyle((DWORD)style, &style)) return false;
      if (Comma() && !ReadStyle(0, &exStyle)) return false;
    }
    control->style = (DWORD)style;
    control->exStyle = (DWORD)exStyle;
    return true;
  }

  std::string path_;
  std::string* error_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  std::map<std::string, long long> defines_;
};

}  // namespace

bool ParseDialogTemplates(const std::string& rcPath, std::vector<DialogTemplate>* out, std::string* error) {
  return Parser(rcPath, error).Run(out);
}

}  // namespace sim::ui::detail
