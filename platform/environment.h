// Platform seam: the process's environment variables.
#pragma once

#include <cstdint>

namespace platform {

// Results of ReadEnvironmentText.
inline constexpr int ENVIRONMENT_NOT_SET = 0;  // missing or empty
inline constexpr int ENVIRONMENT_READ = 1;
inline constexpr int ENVIRONMENT_TOO_LONG = 2;  // set, but it does not fit

// Copies the environment variable `name` into `buffer` (`capacity` bytes,
// its zero included). Only ENVIRONMENT_READ leaves a text; otherwise the
// buffer holds an empty text.
int ReadEnvironmentText(const char* name, char* buffer, uint32_t capacity);

}  // namespace platform
