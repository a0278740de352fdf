// Texts in fixed-size buffers: copying, appending and joining a path, each
// refusing what does not fit instead of cutting it. A caller may pass over
// the answer where the text is known to fit (a fixed text, or sizes that a
// static_assert ties together).
#pragma once

#include <cstddef>

namespace app {

// Copies `text` into `buffer` (`size` bytes). False, with `buffer`
// unchanged, when the text and its zero do not fit.
bool CopyText(char* buffer, size_t size, const char* text);

// Appends `text` to the text in `buffer`. False, with `buffer` unchanged,
// when the result and its zero do not fit.
bool AppendText(char* buffer, size_t size, const char* text);

// Writes `folder`, a backslash unless `folder` already ends with one, and
// `name` into `buffer`. False, with `buffer` unchanged, when the path and
// its zero do not fit. `buffer` may be `folder` itself (the name is
// then appended in place) but must not overlap `name`. It only joins: what
// a caller refuses (unsafe names, suffixes, sizes of its own) it checks
// itself.
bool JoinPath(char* buffer, size_t size, const char* folder, const char* name);

}  // namespace app
