// How operations answer, in the seam and in the logic above it: a small
// operation (a question, or a step whose callers need only know whether it
// was done) answers ANSWER_YES or ANSWER_NO; a procedure or a package
// operation answers ANSWER_SUCCESS or a negative code of its own. Callers
// compare with these names, never with a bare 0 or 1, so that the two
// conventions cannot be mistaken for each other.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr int ANSWER_YES = 1;
inline constexpr int ANSWER_NO = 0;

inline constexpr int32_t ANSWER_SUCCESS = 0;

}  // namespace platform
