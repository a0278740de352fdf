// Registry helpers of the setup procedures: store a machine-wide string
// value, read a per-user string value, delete a key with all its sub-keys.
#pragma once

#include <cstddef>

#include "platform/answers.h"
#include "platform/registry.h"

namespace setup {

// Largest value ReadUserString accepts from the registry, in bytes.
constexpr size_t REGISTRY_READ_AREA = 4096;
// Most bytes of a value ReadUserString copies out.
constexpr size_t REGISTRY_READ_COPY_LIMIT = 4050;
// Area in which DeleteKeyTree names sub-keys; announced to the system as one
// character less.
constexpr size_t REGISTRY_SUBKEY_NAME_AREA = 1024;

// Stores `text` as the REG_SZ value `valueName` of the key `subKey` under
// HKEY_LOCAL_MACHINE, creating the key and any missing parents when it does
// not exist, and replacing a value of the same name. The data stored is the
// text with its terminating zero (an empty text is one zero byte).
// Returns ANSWER_YES when the value was stored, ANSWER_NO otherwise.
int WriteMachineString(const char* subKey, const char* valueName, const char* text);

// Reads the REG_SZ value `valueName` of the key `subKey` under
// HKEY_CURRENT_USER into `out`, an area of `outSize` bytes. At most the first
// 4050 bytes of the value are taken, up to its first zero byte; the text is
// always terminated in `out`, and bytes of the taken part after the text are
// zeroed as far as `out` reaches.
// Returns ANSWER_YES when the value was copied. Returns ANSWER_NO, leaving
// `out` untouched, when the key or value is missing, the value is of another
// type, its data is larger than 4096 bytes, or the text with its terminator
// does not fit `outSize`.
// Beside the ANSI read, the value is read as the system holds it (UTF-16):
// a text whose ANSI spelling is not exact (a best-fit neighbour such as
// "C:\Users\Lukasz" for "C:\Users\Łukasz") is refused like a missing one.
int ReadUserString(const char* subKey, const char* valueName, char* out, size_t outSize);

// Results of ReadUserText.
constexpr int USER_TEXT_MISSING = platform::ANSWER_NO;  // any refusal of ReadUserString but the one below
constexpr int USER_TEXT_READ = platform::ANSWER_YES;    // as ReadUserString's ANSWER_YES
constexpr int USER_TEXT_INEXACT = 2;  // a string value whose text has no exact ANSI form

// ReadUserString telling the refusal of an inexact text apart, for callers
// that report it. `out` is touched only on USER_TEXT_READ.
int ReadUserText(const char* subKey, const char* valueName, char* out, size_t outSize);

// Deletes the key `subKey` of `root` with all its sub-keys, depth first,
// always taking the first sub-key the system lists. No registry link is
// followed: the key and every key below it are opened themselves and deleted
// through their own handles, so a link at any level goes as the link and its
// target stays; a parent of the key that is itself a link stops the walk
// before anything is deleted.
// Returns ANSWER_YES when the key and its whole tree are gone; ANSWER_NO
// when the key cannot be opened (it does not exist, say), or when some key of
// the tree cannot be opened, listed or deleted: the walk then stops and
// leaves what remains.
int DeleteKeyTree(platform::RegistryKeyId root, const char* subKey);

}  // namespace setup
