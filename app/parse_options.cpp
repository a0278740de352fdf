// The command line's tail and its options.
#include "app/parse_options.h"

#include <cstring>

#include "app/options.h"

namespace app {

namespace {

// Character codes compared as the unsigned bytes of the ANSI code page, so
// that letters above 127 never count as blanks.
constexpr unsigned char BLANK_LIMIT = 32;
constexpr char QUOTE = '"';
constexpr char OPTION_MARK = '-';

unsigned char Code(char c) { return static_cast<unsigned char>(c); }

}  // namespace

const char* CommandLineTail(const char* commandLine) {
  if (commandLine == nullptr) return "";
  const char* at = commandLine;
  if (*at == QUOTE) {
    ++at;
    while (*at != '\0' && *at != QUOTE) ++at;
    if (*at == QUOTE) ++at;
  } else {
    while (Code(*at) > BLANK_LIMIT) ++at;
  }
  while (*at != '\0' && Code(*at) <= BLANK_LIMIT) ++at;
  return at;
}

void ParseOptions(const char* text) {
  if (text == nullptr || text[0] == '\0' || text[1] == '\0') return;
  const char* at = text;
  for (;;) {
    at = std::strchr(at, OPTION_MARK);
    if (at == nullptr) return;
    const char letter = at[1];
    if (letter == '\0') return;
    switch (letter) {
      case 'h':
      case 'H':
        hiddenMode = 1;
        break;
      case 'u':
      case 'U':
        uninstallMode = 1;
        break;
      case 'i':
        installMode = 1;
        break;
      default:
        break;
    }
    at += 2;
  }
}

}  // namespace app
