// What an extraction of the package answers, for the program and for the
// tools that predict it.
#pragma once

#include <cstdint>

#include "platform/answers.h"

namespace package {

// Results of ExtractPackage.
inline constexpr int EXTRACT_OK = platform::ANSWER_SUCCESS;
inline constexpr int EXTRACT_PACKAGE_MISSING = -1;  // not found or not readable; nothing attempted
// n failed entries (1 to 21) give ExtractFailureResult(n) = -(100 + n).
inline constexpr int EXTRACT_FAILED_BASE = 100;
constexpr int ExtractFailureResult(uint32_t failedEntries) {
  return -(EXTRACT_FAILED_BASE + static_cast<int>(failedEntries));
}

// The result of an extraction in which `failedEntries` entries failed.
constexpr int ExtractionResult(uint32_t failedEntries) {
  return failedEntries == 0 ? EXTRACT_OK : ExtractFailureResult(failedEntries);
}

}  // namespace package
