// The portable message numbers, read where the system's headers are not
// included (there the same names are macros), for the test to compare.
#include "ui/window_messages.h"

namespace window_win32_test {

extern const uint32_t kPortableMessages[] = {ui::WM_CREATE,       ui::WM_DESTROY,    ui::WM_PAINT,
                                              ui::WM_CLOSE,        ui::WM_QUIT,       ui::WM_ERASEBKGND,
                                              ui::WM_COMMAND,      ui::WM_TIMER,      ui::WM_MOUSEMOVE,
                                              ui::WM_LBUTTONDOWN,  ui::WM_QUERYENDSESSION,
                                              ui::WM_MOUSEFIRST,   ui::WM_MOUSELAST};
extern const unsigned kPortableMessageCount = sizeof kPortableMessages / sizeof kPortableMessages[0];

}  // namespace window_win32_test
