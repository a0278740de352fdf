// The window seam against the real services under Wine: the main window made
// hidden and shown, ended through its own messages with the loop's quit
// code; the single-instance mutex; the stale windows of the product.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state_instance.h"
#include "app/application_main.h"
#include "app/options.h"
#include "platform/messages.h"
#include "platform/named_mutex.h"
#include "platform/threads.h"
#include "platform/window.h"
#include "app/commands.h"
#include "ui/frame_metrics.h"
#include "ui/main_window.h"

namespace window_win32_test {

extern const uint32_t kPortableMessages[];
extern const unsigned kPortableMessageCount;

namespace {

const char kTitle[] = "Main window test";

// Hands every queued message to its window, the quit message included.
void DrainMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

// Runs the message loop; its quit code, or INT32_MAX when it failed.
int32_t LoopQuitCode() {
  int32_t quitCode = INT32_MAX;
  if (!platform::RunMessageLoop(quitCode)) ADD_FAILURE() << "the message loop failed";
  return quitCode;
}

class MainWindowWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    app::ClearAppState(app::appState);
    app::appState.instance = ::GetModuleHandleA(nullptr);
    app::hiddenMode = 0;
    app::installMode = 0;
    app::uninstallMode = 0;
    ui::ResetWindowEnding();
    DrainMessages();
  }
  void TearDown() override {
    if (window_ != nullptr && ::IsWindow(window_)) ::DestroyWindow(window_);
    DrainMessages();
    platform::UnregisterWindowClass(app::appState.instance, ui::MAIN_WINDOW_CLASS);
  }
  HWND Create() {
    window_ = static_cast<HWND>(
        ui::CreateMainWindow(app::appState.instance, ui::MainWindowProc, nullptr, kTitle));
    return window_;
  }
  static SIZE OuterSize(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
  }

  HWND window_ = nullptr;
};

TEST(WindowMessagesTest, PortableNumbersAreTheSystemsOwn) {
  const std::vector<uint32_t> system = {WM_CREATE,     WM_DESTROY,         WM_PAINT,      WM_CLOSE,
                                        WM_QUIT,       WM_ERASEBKGND,      WM_COMMAND,    WM_TIMER,
                                        WM_MOUSEMOVE,  WM_LBUTTONDOWN,     WM_QUERYENDSESSION,
                                        WM_MOUSEFIRST, WM_MOUSELAST};
  ASSERT_EQ(kPortableMessageCount, system.size());
  for (unsigned i = 0; i < kPortableMessageCount; ++i) EXPECT_EQ(kPortableMessages[i], system[i]) << i;
}

TEST_F(MainWindowWin32Test, HiddenWindowKeepsItsInitialSizeAndEndsOnAPostedClose) {
  app::hiddenMode = 1;
  HWND window = Create();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(app::appState.mainWindow, window);
  EXPECT_FALSE(::IsWindowVisible(window));
  const SIZE size = OuterSize(window);
  EXPECT_EQ(size.cx, 900);
  EXPECT_EQ(size.cy, 300);
  EXPECT_EQ(app::appState.timerId, 0u);
  char className[64] = {};
  ::GetClassNameA(window, className, sizeof className);
  EXPECT_STREQ(className, "KVBrevik0Installer0MainWindow0");
  EXPECT_EQ(static_cast<uint32_t>(::GetWindowLongA(window, GWL_STYLE)) & 0x02CB0000u, 0x02CB0000u);
  // The creation handler loaded the program's picture.
  EXPECT_NE(app::appState.backgroundBitmap, nullptr);
  EXPECT_EQ(app::appState.bitmapWidth, 900);
  EXPECT_EQ(app::appState.bitmapHeight, 424);

  ASSERT_TRUE(::PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(LoopQuitCode(), 0);
  // The end handler ran: resources freed, the window itself still there.
  EXPECT_EQ(app::appState.backgroundBitmap, nullptr);
  EXPECT_TRUE(::IsWindow(window));
}

TEST_F(MainWindowWin32Test, HiddenStartCommandEndsTheLoopWithTheProcedureResult) {
  app::hiddenMode = 1;
  app::uninstallMode = 1;
  HWND window = Create();
  ASSERT_NE(window, nullptr);
  // Only the uninstall option and no driver: nothing runs, result 0.
  app::appState.installed = 0;
  EXPECT_EQ(LoopQuitCode(), 0);

  // A negative quit code survives the loop.
  platform::EndMessageLoop(-21);
  EXPECT_EQ(LoopQuitCode(), -21);
}

TEST_F(MainWindowWin32Test, VisibleWindowIsSizedAroundThePictureAndBlinksUntilDestroyed) {
  HWND window = Create();
  ASSERT_NE(window, nullptr);
  int32_t border = 0;
  int32_t caption = 0;
  ui::GetFrameMetrics(&border, &caption);
  EXPECT_GT(caption, 0);
  const SIZE size = OuterSize(window);
  EXPECT_EQ(size.cx, 900 + 2 * border);
  EXPECT_EQ(size.cy, 424 + 2 * border + caption + 100);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(app::appState.timerId, 12347u);
  // Shown and painted at once: the paint drew the button.
  EXPECT_EQ(app::appState.buttonRect.left, 580);
  EXPECT_EQ(app::appState.buttonRect.bottom, 504);

  ui::PostDestroyToMainWindow();
  EXPECT_EQ(LoopQuitCode(), 0);
  EXPECT_EQ(app::appState.timerId, 0u);
}

// What another thread sends to the window while the window's thread waits
// for it, as a program that broadcasts a setting change does; each with a
// time limit, so that a wait that answers nothing fails the test instead of
// hanging it.
struct SentDuringWait {
  HWND window;
  BOOL answered[3];
  DWORD_PTR answers[3];
};

uint32_t SendToTheWaitingWindow(void* argument) {
  SentDuringWait& sent = *static_cast<SentDuringWait*>(argument);
  const UINT messages[3] = {WM_COMMAND, WM_QUERYENDSESSION, WM_SETTINGCHANGE};
  const WPARAM firsts[3] = {app::CMD_START, 0, 0};
  const LPARAM seconds[3] = {app::START_CODE, 0, 0};
  for (int i = 0; i < 3; ++i) {
    sent.answered[i] = ::SendMessageTimeoutA(sent.window, messages[i], firsts[i], seconds[i], SMTO_NORMAL, 10000,
                                             &sent.answers[i]) != 0;
    if (!sent.answered[i]) break;  // the window's thread answers nothing
  }
  return 0;
}

TEST_F(MainWindowWin32Test, WaitAnswersSentMessagesUnhandledAndLeavesPostedOnesQueued) {
  app::hiddenMode = 1;
  HWND window = Create();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(::PostMessageA(window, WM_CLOSE, 0, 0));
  SentDuringWait sent{window, {}, {}};
  uint32_t id = 0;
  platform::ThreadHandle sender = platform::StartThread(SendToTheWaitingWindow, &sent, id);
  ASSERT_NE(sender, nullptr);
  platform::WaitForThread(sender);
  platform::CloseThread(sender);

  for (int i = 0; i < 3; ++i) EXPECT_TRUE(sent.answered[i]) << i;
  EXPECT_EQ(sent.answers[1], 0u);  // the end of the session refused
  // The start command was answered without running: it would have freed
  // the picture and ended the loop.
  EXPECT_NE(app::appState.backgroundBitmap, nullptr);
  EXPECT_EQ(platform::InSentMessageWait(), 0);
  MSG message;
  EXPECT_TRUE(::PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
  // After the wait the close posted before it is handled as usual.
  EXPECT_EQ(LoopQuitCode(), 0);
  EXPECT_EQ(app::appState.backgroundBitmap, nullptr);
}

uint32_t SleepPastTheQueueLook(void*) {
  ::Sleep(2500);
  return 0;
}

// A wait longer than its periodic look at the queue (which keeps the system
// from counting the window as not responding) still takes nothing from the
// queue: the close posted before it and the timer's ticks wait for the loop.
TEST_F(MainWindowWin32Test, ALongWaitLooksAtTheQueueWithoutHandlingAnything) {
  HWND window = Create();
  ASSERT_NE(window, nullptr);
  app::appState.busy = 1;  // the timer draws only while busy
  const int32_t blinks = app::appState.blinkCount;
  ASSERT_TRUE(::PostMessageA(window, WM_CLOSE, 0, 0));
  uint32_t id = 0;
  platform::ThreadHandle sleeper = platform::StartThread(SleepPastTheQueueLook, nullptr, id);
  ASSERT_NE(sleeper, nullptr);
  platform::WaitForThread(sleeper);
  platform::CloseThread(sleeper);

  EXPECT_EQ(app::appState.blinkCount, blinks);
  MSG message;
  EXPECT_TRUE(::PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
  EXPECT_TRUE(::PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  app::appState.busy = 0;
}

TEST(FrameMetricsWin32Test, MatchTheSystemsNonClientMetrics) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  int32_t border = -1;
  int32_t caption = -1;
  ui::GetFrameMetrics(&border, &caption);
  EXPECT_EQ(border, metrics.iBorderWidth + metrics.iPaddedBorderWidth);
  EXPECT_EQ(caption, metrics.iCaptionHeight);
}

TEST(NamedMutexWin32Test, ASecondCreationReportsAlreadyExistsUntilAllHandlesClose) {
  const std::string base = "Kelvane window test mutex " + std::to_string(::GetCurrentProcessId());
  // The session's namespace and the global one alike.
  for (const std::string& name : {base, "Global\\" + base}) {
    {
      platform::UniqueNamedMutex first;
      ASSERT_EQ(platform::CreateOwnedMutex(name.c_str(), first), platform::MUTEX_CREATED) << name;
      ASSERT_TRUE(first.IsValid());
      // Owned by this thread: a wait from here succeeds at once, recursively.
      EXPECT_EQ(::WaitForSingleObject(first.Get(), 0), WAIT_OBJECT_0);
      ::ReleaseMutex(first.Get());

      platform::UniqueNamedMutex second;
      EXPECT_EQ(platform::CreateOwnedMutex(name.c_str(), second), platform::MUTEX_ALREADY_EXISTS) << name;
      EXPECT_TRUE(second.IsValid());
      platform::ReleaseNamedMutex(first.Get());
    }
    platform::UniqueNamedMutex again;
    EXPECT_EQ(platform::CreateOwnedMutex(name.c_str(), again), platform::MUTEX_CREATED) << name;
    platform::ReleaseNamedMutex(again.Get());
  }
}

// --- Stale windows ------------------------------------------------------------------

std::vector<HWND> destroyed;

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM first, LPARAM second) {
  if (message == WM_DESTROY) destroyed.push_back(window);
  return ::DefWindowProcA(window, message, first, second);
}

TEST(CloseStaleWindowsWin32Test, PostsDestroyToTitlesThatBeginWithThePrefixOnly) {
  // The prefix is made unique to this run: the real one would also reach
  // product windows that other tests in the same Wine session may have open.
  const std::string prefix = "Kelvane Brevik test " + std::to_string(::GetCurrentProcessId());
  std::string lower = prefix;
  for (char& c : lower) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = RecordingProcedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "KvStaleWindowTest";
  ASSERT_NE(::RegisterClassA(&windowClass), 0);
  auto make = [](const std::string& title) {
    return ::CreateWindowExA(0, "KvStaleWindowTest", title.c_str(), WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                             nullptr, ::GetModuleHandleA(nullptr), nullptr);
  };
  HWND alone = make(prefix);
  HWND longer = make(prefix + " window");
  HWND otherCase = make(lower);
  HWND shorter = make(prefix.substr(0, prefix.size() - 1));
  ASSERT_TRUE(alone && longer && otherCase && shorter);

  // The windows are this test program's: a list without its name closes
  // none of them; its name, in other letter case, closes those whose title
  // matches.
  char path[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameA(nullptr, path, sizeof path), 0u);
  std::string ownName = std::strrchr(path, '\\') != nullptr ? std::strrchr(path, '\\') + 1 : path;
  const char* const others[] = {"SONDREL_Brevik.exe"};
  app::CloseStaleWindows(prefix.c_str(), app::ProgramNames{others, 1});
  DrainMessages();
  EXPECT_TRUE(destroyed.empty());

  for (char& c : ownName) c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
  const char* const ours[] = {"SONDREL_Brevik.exe", ownName.c_str()};
  app::CloseStaleWindows(prefix.c_str(), app::ProgramNames{ours, 2});
  DrainMessages();

  std::vector<HWND> expected = {alone, longer};
  std::sort(expected.begin(), expected.end());
  std::sort(destroyed.begin(), destroyed.end());
  EXPECT_EQ(destroyed, expected);
  for (HWND window : {alone, longer, otherCase, shorter}) ::DestroyWindow(window);
  DrainMessages();
  ::UnregisterClassA("KvStaleWindowTest", ::GetModuleHandleA(nullptr));
}

}  // namespace
}  // namespace window_win32_test
