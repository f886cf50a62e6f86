// wsprintfA / wvsprintfA: the user32 formatter, with its 1024-byte output limit.
#include "machine.h"

#include <cstdio>
#include <cstring>

using namespace sim::detail;

namespace {

const size_t kOutputLimit = 1024;

std::string Pad(std::string body, size_t width, bool left, char fill, bool negative) {
  if (body.size() >= width) return body;
  if (left) return body + std::string(width - body.size(), ' ');
  if (fill == '0' && negative) return "-" + std::string(width - body.size(), '0') + body.substr(1);
  return std::string(width - body.size(), fill) + body;
}

}  // namespace

extern "C" int WINAPI wvsprintfA(LPSTR out, LPCSTR format, va_list args) {
  std::string text;
  for (const char* p = format; p && *p; ++p) {
    if (*p != '%') {
      text += *p;
      continue;
    }
    ++p;
    bool left = false;
    char fill = ' ';
    bool prefix = false;
    for (; *p == '-' || *p == '0' || *p == '#'; ++p) {
      if (*p == '-') left = true;
      if (*p == '0') fill = '0';
      if (*p == '#') prefix = true;
    }
    size_t width = 0;
    for (; *p >= '0' && *p <= '9'; ++p) width = width * 10 + static_cast<size_t>(*p - '0');
    long precision = -1;
    if (*p == '.') {
      precision = 0;
      for (++p; *p >= '0' && *p <= '9'; ++p) precision = precision * 10 + (*p - '0');
    }
    // Windows' 'l' and 'h' change nothing for the 32-bit integer types.
    while (*p == 'l' || *p == 'h') ++p;
    std::string body;
    bool negative = false;
    char number[40];
    switch (*p) {
      case 's': {
        const char* s = va_arg(args, const char*);
        body = s ? s : "(null)";
        if (precision >= 0 && body.size() > static_cast<size_t>(precision)) body.resize(static_cast<size_t>(precision));
        break;
      }
      case 'c': body = std::string(1, static_cast<char>(va_arg(args, int))); break;
      case 'd': case 'i': {
        int value = va_arg(args, int);
        std::snprintf(number, sizeof number, "%d", value);
        body = number;
        negative = value < 0;
        break;
      }
      case 'u': std::snprintf(number, sizeof number, "%u", va_arg(args, unsigned int)); body = number; break;
      case 'x': case 'X': {
        std::snprintf(number, sizeof number, *p == 'x' ? "%x" : "%X", va_arg(args, unsigned int));
        body = (prefix ? (*p == 'x' ? "0x" : "0X") : "") + std::string(number);
        break;
      }
      case '\0': --p; break;
      default: body = std::string(1, *p);  // "%%" and unknown types print the character
    }
    text += Pad(body, width, left, *p == 's' || *p == 'c' ? ' ' : fill, negative);
  }
  if (text.size() > kOutputLimit - 1) text.resize(kOutputLimit - 1);
  std::memcpy(out, text.c_str(), text.size() + 1);
  return static_cast<int>(text.size());
}

extern "C" int WINAPIV wsprintfA(LPSTR out, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  int length = wvsprintfA(out, format, args);
  va_end(args);
  return length;
}
