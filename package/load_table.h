// The first package step of both setup procedures: check that the package
// resource is there and large enough, and copy its table into the state.
#pragma once

#include "app/app_state.h"
#include "platform/answers.h"

namespace package {

inline constexpr int LOAD_TABLE_OK = platform::ANSWER_SUCCESS;
inline constexpr int LOAD_TABLE_FAILED = -1;  // missing, unreadable, or not over 3276 bytes

// Copies the first 3276 bytes of the package resource of state.instance
// into state.packageTable. LOAD_TABLE_OK after the copy; LOAD_TABLE_FAILED
// with packageTable unchanged otherwise.
int LoadPackageTable(app::AppState& state);

}  // namespace package
