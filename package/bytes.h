// Byte-block operations of the package subsystem.
#pragma once

#include <cstdint>

#include "platform/answers.h"

namespace package {

// Copies `length` bytes; nothing when the blocks are the same or length is 0.
void CopyBytes(void* destination, const void* source, uint32_t length);
// ANSWER_YES when both blocks hold the same bytes (also for the same block
// or length 0), else ANSWER_NO.
int BytesEqual(const void* first, const void* second, uint32_t length);
void ZeroBytes(void* buffer, uint32_t length);

}  // namespace package
