// The main window: creation, and the handling of its messages.
#include "ui/main_window.h"

#include <cstring>

#include "app/app_state_instance.h"
#include "app/bounded_text.h"
#include "app/commands.h"
#include "app/options.h"
#include "app/product.h"
#include "app/results.h"
#include "app/worker.h"
#include "platform/answers.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/shell_open.h"
#include "platform/threads.h"
#include "setup/uninstall.h"
#include "ui/frame_metrics.h"
#include "ui/painting.h"
#include "ui/procedure_choice.h"
#include "ui/window_messages.h"

namespace ui {

WindowEnding windowEnding;

void ResetWindowEnding() { windowEnding = WindowEnding{}; }

namespace {

// Message results.
constexpr intptr_t HANDLED = 0;
constexpr intptr_t BACKGROUND_ERASED = 1;
constexpr intptr_t SESSION_END_REFUSED = 0;

// The button offers "Install" where the driver is absent: a click on it asks
// for the install.
constexpr bool CLICK_ASKS_TO_INSTALL = true;

// A text of the state record, as long as it holds its zero byte; an empty
// text otherwise, so that a box never reads past the buffer.
template <size_t N>
const char* BoundedText(const char (&buffer)[N]) {
  return std::memchr(buffer, '\0', N) != nullptr ? buffer : "";
}

// A destroy message held back while a box was up is posted again once the
// last box is gone.
void ResumeDeferredDestroy() {
  if (windowEnding.boxesShowing == 0 && windowEnding.destroyDeferred != 0) {
    windowEnding.destroyDeferred = 0;
    PostDestroyToMainWindow();
  }
}

// Shows a box owned by the window and counts it while it is up.
void ShowWindowBox(const char* text, const char* caption, uint32_t style) {
  ++windowEnding.boxesShowing;
  platform::ShowMessageBox(app::appState.mainWindow, text, caption, style);
  --windowEnding.boxesShowing;
}

void PostCloseToMainWindow() { platform::PostWindowMessage(app::appState.mainWindow, WM_CLOSE, 0, 0); }

void OnCreate(platform::WindowHandle window) {
  app::AppState& state = app::appState;
  state.mainWindow = window;
  PrepareWindowState(state);
  int32_t border = 0;
  int32_t caption = 0;
  GetFrameMetrics(&border, &caption);
  if (app::hiddenMode == 0) {
    platform::PlaceWindow(window, platform::PLACE_AT_TOP, 0, 0, state.bitmapWidth + 2 * border,
                          state.bitmapHeight + 2 * border + caption + LOWER_BAND,
                          platform::PLACE_NO_MOVE | platform::PLACE_SHOW_WINDOW);
    state.timerId = platform::StartWindowTimer(window, BLINK_TIMER_ID, BLINK_PERIOD_MS);
  }
  if (app::installMode == 1 || app::uninstallMode == 1) {
    platform::PostCommand(window, app::CMD_START, app::START_CODE);
  }
}

void OnDestroy() {
  app::AppState& state = app::appState;
  if (windowEnding.boxesShowing > 0) {
    windowEnding.destroyDeferred = 1;
    return;
  }
  if (state.timerId != 0) platform::StopWindowTimer(state.mainWindow, state.timerId);
  state.timerId = 0;
  FreeWindowResources(state);
  platform::EndMessageLoop(windowEnding.quitCode);
}

void OnPaint(platform::WindowHandle window) {
  platform::ScopedWindowPaint paint(window);
  PaintWindow(app::appState, paint.Dc());
}

void OnClose() {
  if (app::appState.busy.load() == 0) PostDestroyToMainWindow();
}

void OnNotify(intptr_t code) {
  app::AppState& state = app::appState;
  if (code == app::NOTIFY_FAILURE) {
    ShowWindowBox(BoundedText(state.failureText), BoundedText(state.failureCaption), FAILURE_STYLE);
  } else if (code == app::NOTIFY_SUCCESS) {
    ShowWindowBox(SUCCESS_TEXT, SUCCESS_CAPTION, SUCCESS_STYLE);
  } else {
    return;
  }
  PostCloseToMainWindow();
  ResumeDeferredDestroy();
}

void OnStart() {
  app::AppState& state = app::appState;
  int32_t result = app::RESULT_OK;
  switch (UninstallIfDriverPresentElseInstallIfAsked(state.installed, app::installMode == 1)) {
    case Procedure::UNINSTALL:
      result = setup::RunUninstall(state);
      break;
    case Procedure::INSTALL:
      result = app::StartInstallWorker(state, app::WORKER_WAIT);
      break;
    case Procedure::NONE:
      break;
  }
  FreeWindowResources(state);
  // From here on every end request carries the result: a close or destroy
  // request queued meanwhile (a polite end of the process from outside, say)
  // is handled after this one and must not replace it with 0.
  windowEnding.quitCode = result;
  if (app::hiddenMode != 0) {
    platform::EndMessageLoop(result);
    return;
  }
  // A visible run may still have the procedure's notification queued: ending
  // the loop now would take its box away at once. The end handler, which
  // comes after it, ends the loop with the result instead.
  PostDestroyToMainWindow();
}

void OnCommand(uintptr_t first, intptr_t second) {
  const uint16_t command = CommandIdentifier(first);
  if (app::hiddenMode == 0 && command == app::CMD_NOTIFY) {
    OnNotify(second);
  } else if (command == app::CMD_START && second == app::START_CODE) {
    OnStart();
  }
}

void OnTimer(uintptr_t first) {
  app::AppState& state = app::appState;
  if (state.busy.load() == 0 || first != BLINK_TIMER_ID) return;
  // Wraps instead of overflowing; only the low bit is ever read.
  state.blinkCount = static_cast<int32_t>(static_cast<uint32_t>(state.blinkCount) + 1u);
  platform::UniqueWindowDc dc(
      platform::WindowDc{state.mainWindow, platform::GetWindowDrawContext(state.mainWindow)});
  DrawProgressBanner(state, dc.Get().dc, static_cast<int32_t>(static_cast<uint32_t>(state.blinkCount) & 1u));
}

void OnMouseMove(intptr_t second) {
  const app::AppState& state = app::appState;
  if (HighWordSigned(second) < state.bitmapHeight) platform::ShowPointer(state.handCursor);
}

void OpenWebPage() {
  char address[WEB_PAGE_ADDRESS_SIZE];
  if (!FormatWebPageAddress(address, sizeof address)) return;
  platform::OpenWithShell(app::appState.mainWindow, WEB_PAGE_VERB, address, platform::SHOW_SHOW);
}

void OnLeftButtonDown(intptr_t second) {
  app::AppState& state = app::appState;
  if (state.busy.load() == 1) return;
  const int32_t x = LowWordSigned(second);
  const int32_t y = HighWordSigned(second);
  const app::Rect& button = state.buttonRect;
  if (x > button.left && x < button.right && y > button.top && y < button.bottom) {
    {
      platform::UniqueWindowDc dc(
          platform::WindowDc{state.mainWindow, platform::GetWindowDrawContext(state.mainWindow)});
      DrawActionButton(state, dc.Get().dc, 1);
    }
    platform::PauseThread(PRESS_DELAY_MS);
    if (UninstallIfDriverPresentElseInstallIfAsked(state.installed, CLICK_ASKS_TO_INSTALL) == Procedure::INSTALL) {
      if (app::StartInstallWorker(state, 0) == platform::ANSWER_SUCCESS) return;
      ShowWindowBox(LAUNCH_FAILED_TEXT, LAUNCH_FAILED_CAPTION, FAILURE_STYLE);
      PostDestroyToMainWindow();
      return;
    }
    setup::RunUninstall(state);
    // A failure notification the procedure posted is queued before this
    // destroy; its box holds the destroy back until it is dismissed.
    PostDestroyToMainWindow();
    return;
  }
  if (y < state.bitmapHeight) OpenWebPage();
}

// A message sent to the window while its thread waits for the driver-setup
// tool or for the worker, that is inside one of the handlers below. The
// sender must get its answer, but no handler may run in the middle of
// another: commands, close and destroy requests, timer ticks and mouse
// messages are answered unhandled; an end of the session is refused, as a
// thread that answers nothing refuses it; the background is left as it is,
// since nothing is repainted during these waits; everything else gets the
// system's own handling.
intptr_t AnswerDuringWait(platform::WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  switch (message) {
    case WM_COMMAND:
    case WM_CLOSE:
    case WM_DESTROY:
    case WM_TIMER:
      return HANDLED;
    case WM_QUERYENDSESSION:
      return SESSION_END_REFUSED;
    case WM_ERASEBKGND:
      return BACKGROUND_ERASED;
    default:
      if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) return HANDLED;
      return platform::DefaultWindowProcedure(window, message, first, second);
  }
}

}  // namespace

bool FormatWebPageAddress(char* buffer, uint32_t capacity) {
  if (capacity == 0) return false;
  if (!app::CopyText(buffer, capacity, "https://") ||
      !app::AppendText(buffer, capacity, app::PRODUCT_WEB_HOST) ||
      !app::AppendText(buffer, capacity, "/")) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

platform::WindowHandle CreateMainWindow(platform::ModuleHandle instance, platform::WindowProcedure procedure,
                                        const char* menuName, const char* title) {
  const platform::WindowClassSettings windowClass{MAIN_WINDOW_CLASS,           MAIN_WINDOW_CLASS_STYLE,
                                                  MAIN_WINDOW_ICON_ID,         platform::SYSTEM_CURSOR_ARROW,
                                                  MAIN_WINDOW_BACKGROUND,      menuName};
  if (platform::RegisterWindowClass(instance, windowClass, procedure) != platform::ANSWER_YES) {
    platform::ShowMessageBox(nullptr, REGISTER_FAILED_TEXT, STARTUP_ERROR_CAPTION, STARTUP_ERROR_STYLE);
    return nullptr;
  }
  const platform::WindowSettings settings{0,
                                          MAIN_WINDOW_CLASS,
                                          title,
                                          MAIN_WINDOW_STYLE,
                                          platform::POSITION_DEFAULT,
                                          platform::POSITION_DEFAULT,
                                          INITIAL_WIDTH,
                                          INITIAL_HEIGHT,
                                          instance};
  platform::WindowHandle window = platform::CreateAppWindow(settings);
  if (window == nullptr) {
    platform::ShowMessageBox(nullptr, CREATE_FAILED_TEXT, STARTUP_ERROR_CAPTION, STARTUP_ERROR_STYLE);
    return nullptr;
  }
  if (app::hiddenMode != 0) {
    platform::ShowAppWindow(window, platform::SHOW_HIDE);
  } else {
    platform::ShowAppWindow(window, platform::SHOW_SHOW);
    platform::UpdateAppWindow(window);
  }
  return window;
}

intptr_t MainWindowProc(platform::WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  if (platform::InSentMessageWait() == platform::ANSWER_YES) {
    return AnswerDuringWait(window, message, first, second);
  }
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return HANDLED;
    case WM_DESTROY:
      OnDestroy();
      return HANDLED;
    case WM_PAINT:
      OnPaint(window);
      return HANDLED;
    case WM_CLOSE:
      // Never the default handling, which would destroy the window: the
      // window ends only through the posted destroy message.
      OnClose();
      return HANDLED;
    case WM_ERASEBKGND:
      DrawBitmapAt(reinterpret_cast<platform::DrawContext>(first), 0, 0, app::appState.backgroundBitmap);
      return BACKGROUND_ERASED;
    case WM_COMMAND:
      OnCommand(first, second);
      return HANDLED;
    case WM_TIMER:
      OnTimer(first);
      return HANDLED;
    case WM_MOUSEMOVE:
      OnMouseMove(second);
      return HANDLED;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown(second);
      return HANDLED;
    default:
      return platform::DefaultWindowProcedure(window, message, first, second);
  }
}

void PostDestroyToMainWindow() { platform::PostWindowMessage(app::appState.mainWindow, WM_DESTROY, 0, 0); }

}  // namespace ui
