// The one way a fuzz target reports a broken invariant: a message naming it,
// then a trap, which libFuzzer records as a crash with the input that caused
// it.
#pragma once

#include <cstdio>

namespace fuzz {

// Stops the run when `holds` is false. `what` names the invariant.
inline void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    __builtin_trap();
  }
}

}  // namespace fuzz
