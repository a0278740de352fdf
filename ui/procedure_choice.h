// Which procedure a run starts: one rule for the start command of a
// command-line run and for the click on the button.
#pragma once

namespace ui {

enum class Procedure { NONE, INSTALL, UNINSTALL };

// The driver is present (`installed`, which ProbeSystem set while the window
// was made): uninstall, whatever the mode option. Otherwise install when an
// install was asked for (the -i option, or a click on "Install"), else
// nothing.
//
// The trap that follows: `-h -i` on a machine that has the driver removes
// it, and a successful removal exits with 0, as a successful install does.
constexpr Procedure UninstallIfDriverPresentElseInstallIfAsked(int installed, bool installAsked) {
  if (installed != 0) return Procedure::UNINSTALL;
  return installAsked ? Procedure::INSTALL : Procedure::NONE;
}

}  // namespace ui
