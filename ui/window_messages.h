// The window messages the program handles or posts, by the system's own
// numbers, so that the portable window procedure can name them without the
// system's headers. Include this only from portable sources: where the
// system's headers are included, these names are macros already.
#pragma once

#include <cstdint>

namespace ui {

inline constexpr uint32_t WM_CREATE = 0x0001;
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr uint32_t WM_QUIT = 0x0012;
inline constexpr uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_MOUSEFIRST = 0x0200;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_MOUSELAST = 0x020E;

// The two 16-bit halves of a message parameter: the low word, and the word
// above it, each read as a signed number (client coordinates of the mouse
// messages may be negative).
constexpr int32_t LowWordSigned(intptr_t value) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uintptr_t>(value) & 0xFFFFu));
}
constexpr int32_t HighWordSigned(intptr_t value) {
  return static_cast<int16_t>(static_cast<uint16_t>((static_cast<uintptr_t>(value) >> 16) & 0xFFFFu));
}
// The command identifier of a WM_COMMAND: the low 16 bits of the first
// parameter.
constexpr uint16_t CommandIdentifier(uintptr_t first) { return static_cast<uint16_t>(first & 0xFFFFu); }

}  // namespace ui
