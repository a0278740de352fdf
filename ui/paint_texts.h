// The texts the window paints: the operating-system line, the panel's two
// lines and the button label for either install state, and the banner word.
#pragma once

#include <cstdint>

#include "app/app_state.h"
#include "probe/system_probe.h"

namespace ui {

inline constexpr const char* OS_TEXT_BEFORE_XP = "O/S: < XP";
inline constexpr const char* OS_TEXT_XP = "O/S: WIN XP";
inline constexpr const char* OS_TEXT_VISTA = "O/S: VISTA";
inline constexpr const char* OS_TEXT_WIN7 = "O/S: WIN7";
inline constexpr const char* OS_TEXT_WIN8 = "O/S: WIN8";
inline constexpr const char* OS_TEXT_UNKNOWN = "O/S: unknown";

inline constexpr const char* PANEL_LINE1_NOT_INSTALLED = "Ready to install ? Click the button right there...";
inline constexpr const char* PANEL_LINE2_NOT_INSTALLED = "it will install Kelvane Brevik and Mireline on your system...";
inline constexpr const char* PANEL_LINE1_INSTALLED = "Brevik and Mireline are already installed...";
inline constexpr const char* PANEL_LINE2_INSTALLED = "previous version has to be removed before installing new one...";

inline constexpr const char* BUTTON_INSTALL = "Install";
inline constexpr const char* BUTTON_REMOVE = "Remove";

inline constexpr const char* BANNER_INSTALLING = "Installing";

// The operating-system line for `osClass`. OS_CLASS_SERVER_2003 has no name
// of its own and shares "unknown" with -1 and every value out of range.
constexpr const char* OsLineText(app::OsClass osClass) {
  switch (osClass) {
    case probe::OS_CLASS_BEFORE_XP: return OS_TEXT_BEFORE_XP;
    case probe::OS_CLASS_XP: return OS_TEXT_XP;
    case probe::OS_CLASS_VISTA: return OS_TEXT_VISTA;
    case probe::OS_CLASS_WIN7: return OS_TEXT_WIN7;
    case probe::OS_CLASS_WIN8: return OS_TEXT_WIN8;
    default: return OS_TEXT_UNKNOWN;
  }
}

constexpr const char* PanelLine1Text(int32_t installed) {
  return installed != 0 ? PANEL_LINE1_INSTALLED : PANEL_LINE1_NOT_INSTALLED;
}

constexpr const char* PanelLine2Text(int32_t installed) {
  return installed != 0 ? PANEL_LINE2_INSTALLED : PANEL_LINE2_NOT_INSTALLED;
}

constexpr const char* ButtonLabel(int32_t installed) { return installed != 0 ? BUTTON_REMOVE : BUTTON_INSTALL; }

}  // namespace ui
