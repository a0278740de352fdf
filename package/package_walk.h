// The verifying walk over a package's 21 entries along the key chain, shared
// by extraction (which writes files) and kvpack (which lists, verifies and
// extracts).
#pragma once

#include <concepts>
#include <cstdint>
#include <type_traits>

#include "package/package_format.h"

namespace package {

// What the walk learnt about one entry. `plain` points at the unscrambled
// content (size `entry.size`) while the callback runs, and is null when the
// entry was not unscrambled (out of bounds, or no buffer could be had).
struct EntryOutcome {
  uint32_t index;  // 0 to 20
  PackageEntry entry;
  bool inBounds;   // the data lies inside the package
  bool verified;   // the digest of the plain content matches
  const uint8_t* plain;
};

// The callback of a walk, borrowed for the walk's duration only: a plain
// function and its context, so that the setup program needs no part of the
// C++ library's function wrappers. `call` may be null (nothing is visited).
struct EntryVisitor {
  void (*call)(void* context, const EntryOutcome& outcome);
  void* context;
};

// Walks entries 1 to 21 of `table` over the bytes of `package` in table order:
// out-of-bounds entries do not move the chain; every other entry is
// unscrambled into a private buffer (the package is only read), checked
// against its digest, handed to `visit`, and the chain then advances with the
// digest of its stored data. Returns the number of entries not verified.
uint32_t WalkPackage(ByteView package, const PackageTable& table, EntryVisitor visit);

// The same walk with any callable (a lambda, say) as the callback.
template <typename Visit>
  requires std::invocable<Visit&, const EntryOutcome&>
uint32_t WalkPackage(ByteView package, const PackageTable& table, Visit&& visit) {
  using Callable = std::remove_reference_t<Visit>;
  const EntryVisitor visitor{
      [](void* context, const EntryOutcome& outcome) { (*static_cast<Callable*>(context))(outcome); },
      const_cast<void*>(static_cast<const void*>(&visit))};
  return WalkPackage(package, table, visitor);
}

}  // namespace package
