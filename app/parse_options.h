// The command line: the tail after the program's name, and the option flags
// found in it.
#pragma once

namespace app {

// The part of `commandLine` after the program's name and the blanks after it.
// A line that begins with a double quote has a name running up to and
// including the next double quote (or to the end); otherwise the name runs
// up to the first character whose code is 32 or less. After the name every
// character whose code is 1 to 32 is skipped. Answers a pointer into
// `commandLine` (its end for a line with no tail); an empty text for null.
const char* CommandLineTail(const char* commandLine);

// Scans `text` (may be null) character by character, not word by word, for
// '-' followed by an option letter, and sets the option flags: 'h' or 'H'
// hiddenMode, 'i' (lower case only) installMode, 'u' or 'U' uninstallMode.
// The letter after each '-' is always consumed, also when it is itself a
// '-', and only that first letter counts; a '-' that ends the text ends the
// scan. A text shorter than 2 characters sets nothing. Flags are only ever
// set, never cleared.
void ParseOptions(const char* text);

}  // namespace app
