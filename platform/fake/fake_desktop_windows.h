// Control of the fake desktop (desktop_windows.h): the top-level windows of
// other programs, none after fake::Reset. Call log lines (windows as
// numbers): "EnumerateTopLevelWindows", "ReadWindowTitle W",
// "ReadWindowProgramName W".
#pragma once

#include <string>
#include <vector>

#include "platform/handles.h"

namespace platform::fake {

// Adds a window to the enumeration, in order; a null handle is handed to the
// visitor as it is. Its title is answered by ReadWindowTitle, the file name
// of its process's program by ReadWindowProgramName (empty: not readable).
void AddTopLevelWindow(WindowHandle window, const std::string& title, const std::string& program = "");
// The windows the enumeration visited, in order.
std::vector<WindowHandle> VisitedWindows();

}  // namespace platform::fake
