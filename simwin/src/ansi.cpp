// UTF-8 to the system ANSI code page: GBK under the Chinese (PRC) locale, Windows-1252 otherwise.
#include "machine.h"

#include <iconv.h>

namespace sim {

namespace {

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC2 && lead < 0xE0) return 2;
  return 1;
}

}  // namespace

std::string ToAnsi(const std::string& utf8, LCID lcid) {
  iconv_t converter = iconv_open(lcid == 0x804 ? "GBK" : "CP1252", "UTF-8");
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    size_t length = std::min(SequenceLength(lead), utf8.size() - i);
    std::string character = utf8.substr(i, length);
    i += length;
    char converted[8];
    char* in = &character[0];
    size_t inLeft = character.size();
    char* outPtr = converted;
    size_t outLeft = sizeof converted;
    // One character at a time, so that what the code page lacks becomes a single '?'.
    bool ok = converter != reinterpret_cast<iconv_t>(-1) &&
              iconv(converter, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    if (converter != reinterpret_cast<iconv_t>(-1)) iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (ok)
      out.append(converted, static_cast<size_t>(outPtr - converted));
    else
      out += '?';
  }
  if (converter != reinterpret_cast<iconv_t>(-1)) iconv_close(converter);
  return out;
}

}  // namespace sim
