// The main window against the fake platform: creation and sizing, each
// message handler's decisions, the notification protocol, and whole runs of
// the message loop with message boxes that keep dispatching while they are up.
#include <cstring>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/product.h"
#include "platform/messages.h"
#include "ui/frame_metrics.h"
#include "ui/procedure_choice.h"
#include "ui/window_messages.h"
#include "window_fixture.h"

namespace window_test {
namespace {

using ui::MainWindowProc;

// Mouse position as the second parameter carries it: x low, y high word.
intptr_t Point(int x, int y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                               static_cast<uint16_t>(x));
}

class MainWindowTest : public WindowFixture {
 protected:
  // Creates the window as start-up does and clears the log.
  void Create() {
    window = ui::CreateMainWindow(nullptr, MainWindowProc, nullptr, "Title");
    ASSERT_NE(window, nullptr);
    fake::ClearCalls();
    fake::ClearCanvasLog();
  }
  // Paints once, so that the button rectangle is known, and clears the log.
  void CreateAndPaint() {
    Create();
    MainWindowProc(window, ui::WM_PAINT, 0, 0);
    fake::ClearCalls();
    fake::ClearCanvasLog();
  }
  intptr_t Send(uint32_t message, uintptr_t first = 0, intptr_t second = 0) {
    return MainWindowProc(window, message, first, second);
  }
  std::string W() const { return Number(window); }

  platform::WindowHandle window = nullptr;
  app::AppState& state = app::appState;
};

// --- Creation --------------------------------------------------------------------

TEST_F(MainWindowTest, VisibleCreationSizesAroundThePictureStartsTheTimerAndShows) {
  window = ui::CreateMainWindow(nullptr, MainWindowProc, nullptr, "Kelvane Brevik Installation (Version 1.0.0.7)");
  ASSERT_NE(window, nullptr);
  const std::vector<std::string> log = fake::SeamLog();
  const std::vector<std::string> expected = {
      "RegisterWindowClass KVBrevik0Installer0MainWindow0 0x3 100 32512 12 -",
      "CreateAppWindow KVBrevik0Installer0MainWindow0 | Kelvane Brevik Installation (Version 1.0.0.7) | "
      "0x0 0x2CB0000 -2147483648 -2147483648 900 300",
      "QueryNonClientMetrics",
      // Border 1 + padded 4 on each side, caption 20, the 100-pixel band.
      "PlaceWindow " + W() + " 0 0 0 910 554 0x42",
      "StartWindowTimer " + W() + " 12347 500",
      "ShowAppWindow " + W() + " 5",
      "UpdateAppWindow " + W(),
  };
  EXPECT_EQ(log, expected);
  EXPECT_EQ(state.mainWindow, window);
  EXPECT_EQ(state.timerId, 12347u);
  EXPECT_EQ(state.bitmapWidth, 900);
  EXPECT_NE(state.smallFont, nullptr);
  EXPECT_TRUE(fake::QueuedMessages().empty());
}

TEST_F(MainWindowTest, HiddenCreationKeepsTheInitialSizeWithoutTimerOrShowing) {
  app::hiddenMode = 1;
  Create();
  const std::vector<fake::FakeWindow> windows = fake::Windows();
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].width, 900);
  EXPECT_EQ(windows[0].height, 300);
  EXPECT_FALSE(windows[0].visible);
  EXPECT_EQ(state.timerId, 0u);
  EXPECT_TRUE(fake::RunningTimers().empty());
}

TEST_F(MainWindowTest, ModeOptionsPostTheStartCommandAtCreation) {
  struct Case {
    int install, uninstall;
    bool posted;
  };
  for (const Case& c : {Case{1, 0, true}, Case{0, 1, true}, Case{1, 1, true}, Case{0, 0, false}}) {
    SetUp();
    app::hiddenMode = 1;
    app::installMode = c.install;
    app::uninstallMode = c.uninstall;
    Create();
    const std::vector<fake::QueuedMessage> queued = fake::QueuedMessages();
    ASSERT_EQ(queued.size(), c.posted ? 1u : 0u) << c.install << c.uninstall;
    if (c.posted) {
      EXPECT_EQ(queued[0].window, window);
      EXPECT_EQ(queued[0].message, ui::WM_COMMAND);
      EXPECT_EQ(queued[0].first, app::CMD_START);
      EXPECT_EQ(queued[0].second, app::START_CODE);
    }
  }
}

TEST_F(MainWindowTest, StartupErrorsShowTheirBoxWithoutOwnerEvenWhenHidden) {
  app::hiddenMode = 1;
  fake::windowKnobs.failRegistration = true;
  EXPECT_EQ(ui::CreateMainWindow(nullptr, MainWindowProc, nullptr, "T"), nullptr);
  EXPECT_EQ(LinesOf("ShowMessageBox"),
            std::vector<std::string>{"ShowMessageBox 0 0x30 Startup Error | Failed to register window class..."});
  EXPECT_TRUE(LinesOf("CreateAppWindow").empty());

  SetUp();
  app::hiddenMode = 1;
  fake::windowKnobs.failCreation = true;
  EXPECT_EQ(ui::CreateMainWindow(nullptr, MainWindowProc, nullptr, "T"), nullptr);
  EXPECT_EQ(LinesOf("ShowMessageBox"),
            std::vector<std::string>{"ShowMessageBox 0 0x30 Startup Error | Failed to create window..."});
  EXPECT_TRUE(LinesOf("ShowAppWindow").empty());
}

TEST_F(MainWindowTest, FrameMetricsComeFromTheNonClientRecordElseFromSingleMetrics) {
  fake::metricsKnobs.nonClient = {3, 22, 2};
  int32_t border = -1;
  int32_t caption = -1;
  ui::GetFrameMetrics(&border, &caption);
  EXPECT_EQ(border, 5);
  EXPECT_EQ(caption, 22);
  EXPECT_TRUE(LinesOf("GetSystemMetric").empty());

  fake::metricsKnobs.nonClientRefused = true;
  fake::metricsKnobs.systemMetrics[7] = 3;
  fake::metricsKnobs.systemMetrics[92] = 4;
  fake::metricsKnobs.systemMetrics[4] = 19;
  ui::GetFrameMetrics(&border, &caption);
  EXPECT_EQ(border, 7);
  EXPECT_EQ(caption, 19);

  // An output not asked for is left alone.
  int32_t untouched = 1234;
  ui::GetFrameMetrics(nullptr, &untouched);
  EXPECT_EQ(untouched, 19);
  ui::GetFrameMetrics(&untouched, nullptr);
  EXPECT_EQ(untouched, 7);
}

// --- Simple handlers ----------------------------------------------------------------

TEST_F(MainWindowTest, CloseEndsOnlyWhenNotBusyAndNeverReachesDefaultHandling) {
  Create();
  state.busy = 1;
  EXPECT_EQ(Send(ui::WM_CLOSE), 0);
  EXPECT_TRUE(fake::QueuedMessages().empty());
  state.busy = 0;
  EXPECT_EQ(Send(ui::WM_CLOSE), 0);
  EXPECT_EQ(fake::SeamLog(), std::vector<std::string>{"PostWindowMessage " + W() + " 2 0 0"});
}

TEST_F(MainWindowTest, OtherMessagesGoToDefaultHandling) {
  Create();
  Send(0x0086, 1, 0);
  EXPECT_EQ(fake::SeamLog(), std::vector<std::string>{"DefaultWindowProcedure " + W() + " 134"});
}

TEST_F(MainWindowTest, EraseCopiesThePictureToTheGivenContext) {
  Create();
  platform::DrawContext dc = fake::MakeDrawContext();
  EXPECT_EQ(Send(ui::WM_ERASEBKGND, reinterpret_cast<uintptr_t>(dc)), 1);
  ASSERT_EQ(fake::CanvasLog().size(), 1u);
  const fake::CanvasCall& copy = fake::CanvasLog()[0];
  EXPECT_EQ(copy.op, fake::CanvasOp::CopyBitmap);
  EXPECT_EQ(copy.dc, dc);
  EXPECT_EQ(copy.object, state.backgroundBitmap);
  EXPECT_EQ(copy.left, 0);
  EXPECT_EQ(copy.top, 0);
}

TEST_F(MainWindowTest, PaintDrawsBetweenBeginAndEndAndSetsTheButton) {
  Create();
  EXPECT_EQ(Send(ui::WM_PAINT), 0);
  EXPECT_EQ(LinesOf("BeginWindowPaint").size(), 1u);
  EXPECT_EQ(LinesOf("EndWindowPaint").size(), 1u);
  EXPECT_EQ(state.buttonRect.left, 580);
  EXPECT_EQ(state.buttonRect.top, 444);
  EXPECT_EQ(state.buttonRect.right, 880);
  EXPECT_EQ(state.buttonRect.bottom, 504);
}

TEST_F(MainWindowTest, DestroyStopsTheTimerFreesResourcesAndEndsWithZero) {
  Create();
  EXPECT_EQ(Send(ui::WM_DESTROY), 0);
  EXPECT_EQ(fake::SeamLog(), (std::vector<std::string>{"StopWindowTimer " + W() + " 12347", "EndMessageLoop 0"}));
  EXPECT_EQ(state.timerId, 0u);
  EXPECT_TRUE(fake::RunningTimers().empty());
  EXPECT_EQ(fake::LiveFontCount(), 0u);
  EXPECT_EQ(fake::LiveBitmapCount(), 0u);

  // Hidden: no timer to stop.
  SetUp();
  app::hiddenMode = 1;
  Create();
  Send(ui::WM_DESTROY);
  EXPECT_EQ(fake::SeamLog(), std::vector<std::string>{"EndMessageLoop 0"});
}

TEST_F(MainWindowTest, TimerDrawsTheBannerOnlyWhileBusyAlternatingPhases) {
  CreateAndPaint();
  Send(ui::WM_TIMER, 12347);
  EXPECT_EQ(state.blinkCount, 0);
  EXPECT_TRUE(fake::SeamLog().empty());

  state.busy = 1;
  Send(ui::WM_TIMER, 12346);
  EXPECT_EQ(state.blinkCount, 0);
  EXPECT_TRUE(fake::SeamLog().empty());

  auto installingDrawn = [] {
    for (const fake::CanvasCall& call : fake::CanvasLog()) {
      if (call.op == fake::CanvasOp::Text && call.text == "Installing") return true;
    }
    return false;
  };
  Send(ui::WM_TIMER, 12347);
  EXPECT_EQ(state.blinkCount, 1);
  EXPECT_TRUE(installingDrawn());  // the first tick draws phase 1
  EXPECT_EQ(fake::SeamLog(),
            (std::vector<std::string>{"GetWindowDrawContext " + W(), "ReleaseWindowDrawContext " + W()}));
  fake::ClearCanvasLog();
  Send(ui::WM_TIMER, 12347);
  EXPECT_EQ(state.blinkCount, 2);
  EXPECT_FALSE(installingDrawn());
  EXPECT_FALSE(fake::CanvasLog().empty());
}

TEST_F(MainWindowTest, PointerTurnsToTheHandAboveThePictureBottomWithSignedY) {
  Create();
  Send(ui::WM_MOUSEMOVE, 0, Point(10, 423));
  Send(ui::WM_MOUSEMOVE, 0, Point(10, 424));
  Send(ui::WM_MOUSEMOVE, 0, Point(10, 500));
  Send(ui::WM_MOUSEMOVE, 0, Point(10, -1));  // above the client area: high word 0xFFFF
  state.busy = 1;
  Send(ui::WM_MOUSEMOVE, 0, Point(10, 5));
  const std::string hand = "ShowPointer " + Number(state.handCursor);
  EXPECT_EQ(fake::SeamLog(), (std::vector<std::string>{hand, hand, hand}));
}

// --- Click ------------------------------------------------------------------------------

TEST_F(MainWindowTest, ClicksOnTheButtonEdgesOrBelowThePictureDoNothing) {
  CreateAndPaint();
  // Button (580, 444, 880, 504): its edge lines are outside it.
  for (const intptr_t at : {Point(580, 470), Point(880, 470), Point(700, 444), Point(700, 504), Point(10, 470),
                            Point(890, 510)}) {
    Send(ui::WM_LBUTTONDOWN, 0, at);
  }
  EXPECT_TRUE(fake::SeamLog().empty());
}

TEST_F(MainWindowTest, BeforeTheFirstPaintNoClickHitsTheButton) {
  Create();
  Send(ui::WM_LBUTTONDOWN, 0, Point(700, 470));
  EXPECT_TRUE(fake::SeamLog().empty());
  Send(ui::WM_LBUTTONDOWN, 0, Point(0, 0));  // the picture: the page opens
  EXPECT_EQ(LinesOf("OpenWithShell").size(), 1u);
  EXPECT_TRUE(LinesOf("GetWindowDrawContext").empty());
}

TEST_F(MainWindowTest, ClickOnThePictureOpensTheWebPageAndChangesNothingElse) {
  CreateAndPaint();
  Send(ui::WM_LBUTTONDOWN, 0, Point(300, 200));
  EXPECT_EQ(fake::SeamLog(), std::vector<std::string>{"OpenWithShell " + W() + " open https://" +
                                                      std::string(app::PRODUCT_WEB_HOST) + "/ 5"});
  char address[8];
  EXPECT_FALSE(ui::FormatWebPageAddress(address, sizeof address));
  EXPECT_STREQ(address, "");
}

TEST_F(MainWindowTest, ClickWhileBusyDoesNothingAnywhere) {
  CreateAndPaint();
  state.busy = 1;
  Send(ui::WM_LBUTTONDOWN, 0, Point(700, 470));
  Send(ui::WM_LBUTTONDOWN, 0, Point(300, 200));
  EXPECT_TRUE(fake::SeamLog().empty());
}

TEST_F(MainWindowTest, InstallClickDrawsPressedPausesAndStartsTheWorkerWithoutWaiting) {
  CreateAndPaint();
  Send(ui::WM_LBUTTONDOWN, 0, Point(581, 445));
  EXPECT_EQ(fake::SeamLog(), (std::vector<std::string>{"GetWindowDrawContext " + W(), "ReleaseWindowDrawContext " + W(),
                                                       "PauseThread 200", "StartThread 1000"}));
  bool pressedDrawn = false;
  for (const fake::CanvasCall& call : fake::CanvasLog()) {
    if (call.op == fake::CanvasOp::RoundRect &&
        call.held.brush == platform::GetStockDrawObject(platform::STOCK_BLACK_BRUSH)) {
      pressedDrawn = true;
    }
  }
  EXPECT_TRUE(pressedDrawn);
  EXPECT_EQ(state.busy.load(), 1);
  EXPECT_EQ(fake::PendingThreads(), 1u);
}

TEST_F(MainWindowTest, InstallClickWhoseWorkerCannotStartShowsTheBoxThenEnds) {
  CreateAndPaint();
  fake::threadKnobs.failCreation = true;
  Send(ui::WM_LBUTTONDOWN, 0, Point(700, 470));
  const std::vector<std::string> log = fake::SeamLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 2], "ShowMessageBox " + W() + " 0x1010 Brevik Installation Error | Failed to launch Procedure...");
  EXPECT_EQ(log.back(), "PostWindowMessage " + W() + " 2 0 0");
  EXPECT_EQ(state.busy.load(), 1);
}

TEST_F(MainWindowTest, UninstallClickRunsTheProcedureHereThenPostsDestroy) {
  CreateAndPaint();
  state.installed = 1;
  Send(ui::WM_LBUTTONDOWN, 0, Point(700, 470));
  // No package: the procedure fails early and posts its notification first.
  EXPECT_STREQ(state.failureCaption, "Brevik De-Installation Error");
  EXPECT_TRUE(LinesOf("StartThread").empty());
  const int notify = IndexOf("PostCommand " + W() + " 180 127");
  const int destroy = IndexOf("PostWindowMessage " + W() + " 2 0 0");
  ASSERT_GE(notify, 0);
  EXPECT_GT(destroy, notify);
  EXPECT_GT(notify, IndexOf("PauseThread 200"));
}

// --- Commands -----------------------------------------------------------------------------

TEST_F(MainWindowTest, NotificationsShowTheirBoxThenAskToClose) {
  Create();
  std::strcpy(state.failureCaption, "Caption of the procedure");
  std::strcpy(state.failureText, "What went wrong");
  Send(ui::WM_COMMAND, app::CMD_NOTIFY, app::NOTIFY_FAILURE);
  Send(ui::WM_COMMAND, 0x30000u | app::CMD_NOTIFY, app::NOTIFY_SUCCESS);  // only the low word counts
  Send(ui::WM_COMMAND, app::CMD_NOTIFY, 129);
  const std::string close = "PostWindowMessage " + W() + " 16 0 0";
  EXPECT_EQ(fake::SeamLog(),
            (std::vector<std::string>{
                "ShowMessageBox " + W() + " 0x1010 Caption of the procedure | What went wrong", close,
                "ShowMessageBox " + W() +
                    " 0x1030 Brevik Installation | Installation Complete and Successful !\n\nYOU MUST REBOOT your "
                    "system to finalize installation",
                close}));
}

TEST_F(MainWindowTest, HiddenNotificationsShowNothingAndPostNothing) {
  app::hiddenMode = 1;
  Create();
  Send(ui::WM_COMMAND, app::CMD_NOTIFY, app::NOTIFY_FAILURE);
  Send(ui::WM_COMMAND, app::CMD_NOTIFY, app::NOTIFY_SUCCESS);
  EXPECT_TRUE(fake::SeamLog().empty());
}

TEST_F(MainWindowTest, StartCommandChoosesTheProcedureAndEndsWithItsResult) {
  struct Case {
    const char* name;
    int installed, install, uninstall;
    bool failThread;
    int32_t result;
    const char* caption;  // which procedure ran, by its failure caption
    bool worker;
  };
  const Case cases[] = {
      {"installed, -i: uninstall", 1, 1, 0, false, -1, "Brevik De-Installation Error", false},
      {"installed, -u: uninstall", 1, 0, 1, false, -1, "Brevik De-Installation Error", false},
      {"not installed, -i: waited install", 0, 1, 0, false, -1, "Brevik Installation Error", true},
      {"not installed, -u: nothing", 0, 0, 1, false, 0, "", false},
      {"worker cannot start", 0, 1, 0, true, -1, "", true},
  };
  for (const Case& c : cases) {
    SetUp();
    app::hiddenMode = 1;
    app::installMode = c.install;
    app::uninstallMode = c.uninstall;
    Create();
    state.installed = c.installed;
    fake::threadKnobs.failCreation = c.failThread;
    EXPECT_EQ(Send(ui::WM_COMMAND, app::CMD_START, app::START_CODE), 0);
    EXPECT_EQ(LinesOf("EndMessageLoop"), std::vector<std::string>{"EndMessageLoop " + std::to_string(c.result)})
        << c.name;
    EXPECT_STREQ(state.failureCaption, c.caption) << c.name;
    EXPECT_EQ(!LinesOf("StartThread").empty(), c.worker) << c.name;
    if (c.worker && !c.failThread) {
      EXPECT_EQ(LinesOf("WaitForThread").size(), 1u) << c.name;
    }
    EXPECT_EQ(fake::LiveFontCount(), 0u) << c.name;
    EXPECT_EQ(fake::LiveBitmapCount(), 0u) << c.name;
  }
}

// The run's one decision, for the start command (an install is asked for
// with -i) and the click (a click on "Install" asks for it): a present driver
// is removed whatever was asked. The trap: `-h -i` on a machine that has the
// driver removes it.
TEST_F(MainWindowTest, DriverPresentUninstallsWhateverTheModeOption) {
  EXPECT_EQ(ui::UninstallIfDriverPresentElseInstallIfAsked(1, true), ui::Procedure::UNINSTALL);
  EXPECT_EQ(ui::UninstallIfDriverPresentElseInstallIfAsked(1, false), ui::Procedure::UNINSTALL);
  EXPECT_EQ(ui::UninstallIfDriverPresentElseInstallIfAsked(0, true), ui::Procedure::INSTALL);
  EXPECT_EQ(ui::UninstallIfDriverPresentElseInstallIfAsked(0, false), ui::Procedure::NONE);

  // `-h -i`, driver present: a whole run ends with the uninstall's result
  // (-1 here: the fake has no package) and never starts the install worker.
  app::hiddenMode = 1;
  app::installMode = 1;
  Create();
  state.installed = 1;
  EXPECT_EQ(LoopQuitCode(), -1);
  EXPECT_STREQ(state.failureCaption, "Brevik De-Installation Error");
  EXPECT_TRUE(LinesOf("StartThread").empty());
}

TEST_F(MainWindowTest, StartCommandNeedsItsCode) {
  app::hiddenMode = 1;
  app::installMode = 1;
  Create();
  Send(ui::WM_COMMAND, app::CMD_START, 102);
  Send(ui::WM_COMMAND, 166, app::START_CODE);
  EXPECT_TRUE(fake::SeamLog().empty());
}

TEST_F(MainWindowTest, MessagesSentWhileTheStartCommandWaitsRunNoHandler) {
  app::hiddenMode = 1;
  app::installMode = 1;
  CreateAndPaint();
  const platform::DrawContext dc = fake::MakeDrawContext();
  constexpr uint32_t kSettingChange = 0x001A;
  fake::SendDuringNextWait({
      {window, ui::WM_COMMAND, app::CMD_START, app::START_CODE},
      {window, ui::WM_CLOSE, 0, 0},
      {window, ui::WM_DESTROY, 0, 0},
      {window, ui::WM_TIMER, 12347, 0},
      {window, ui::WM_MOUSEMOVE, 0, Point(10, 10)},
      {window, ui::WM_LBUTTONDOWN, 0, Point(700, 470)},
      {window, ui::WM_QUERYENDSESSION, 0, 0},
      {window, ui::WM_ERASEBKGND, reinterpret_cast<uintptr_t>(dc), 0},
      {window, kSettingChange, 0, 0},
  });
  std::vector<std::string> duringWait;
  bool waiting = false;
  fake::SetCallObserver([&](const std::string& line) {
    if (line.rfind("WaitForThread", 0) == 0) waiting = true;
    if (line == "LowerOwnThreadPriority") waiting = false;  // the worker's body begins
    if (waiting && line.rfind("WaitForThread", 0) != 0) duringWait.push_back(line);
  });

  Send(ui::WM_COMMAND, app::CMD_START, app::START_CODE);

  // Each sender got its answer; only the last message was handled at all,
  // and by the system: the session's end is refused, the picture not drawn.
  EXPECT_EQ(fake::AnswersDuringWait(), (std::vector<intptr_t>{0, 0, 0, 0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(duringWait, std::vector<std::string>{"DefaultWindowProcedure " + W() + " 26"});
  for (const fake::CanvasCall& call : fake::CanvasLog()) EXPECT_NE(call.dc, dc);
  // The waiting start itself ran to its end once, and alone.
  EXPECT_EQ(LinesOf("StartThread").size(), 1u);
  EXPECT_EQ(LinesOf("EndMessageLoop"), std::vector<std::string>{"EndMessageLoop -1"});
  // Outside the wait the handlers run again; after the start command an end
  // request keeps the procedure's result.
  fake::ClearCalls();
  Send(ui::WM_DESTROY);
  EXPECT_EQ(fake::SeamLog(), std::vector<std::string>{"EndMessageLoop -1"});
}

TEST_F(MainWindowTest, VisibleStartCommandEndsThroughTheEndHandlerWithTheResult) {
  app::installMode = 1;
  Create();
  Send(ui::WM_COMMAND, app::CMD_START, app::START_CODE);
  EXPECT_TRUE(LinesOf("EndMessageLoop").empty());
  EXPECT_EQ(LinesOf("PostWindowMessage").back(), "PostWindowMessage " + W() + " 2 0 0");
  Send(ui::WM_DESTROY);
  EXPECT_EQ(LinesOf("EndMessageLoop"), std::vector<std::string>{"EndMessageLoop -1"});
}

// --- Whole runs of the loop ------------------------------------------------------------------

TEST_F(MainWindowTest, InteractiveInstallBlinksThenEndsWithZeroAfterTheFailureBox) {
  CreateAndPaint();
  PumpWhileBoxesShow();
  Send(ui::WM_LBUTTONDOWN, 0, Point(700, 470));
  Send(ui::WM_TIMER, 12347);
  Send(ui::WM_CLOSE);  // refused while the worker runs
  EXPECT_EQ(state.blinkCount, 1);
  EXPECT_EQ(fake::RunPendingThreads(), 1u);  // the install fails: no package
  EXPECT_EQ(state.busy.load(), 0);

  EXPECT_EQ(LoopQuitCode(), 0);
  const std::vector<std::string> boxes = LinesOf("ShowMessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("ShowMessageBox " + W() + " 0x1010 Brevik Installation Error | ", 0), 0u);
  EXPECT_GT(IndexOf("EndMessageLoop"), IndexOf("ShowMessageBox"));
}

TEST_F(MainWindowTest, EarlyUninstallFailureBoxStaysUntilDismissed) {
  CreateAndPaint();
  state.installed = 1;
  PumpWhileBoxesShow();
  Send(ui::WM_LBUTTONDOWN, 0, Point(700, 470));

  // The destroy queued after the notification arrives while the box is up;
  // only after the box does the loop end.
  EXPECT_EQ(LoopQuitCode(), 0);
  const int box = IndexOf("ShowMessageBox " + W() + " 0x1010 Brevik De-Installation Error");
  ASSERT_GE(box, 0);
  EXPECT_EQ(IndexOf("Dispatch " + W() + " 2 0 0"), box + 1);  // held back, not acted on
  const std::vector<std::string> log = fake::SeamLog();
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i].rfind("EndMessageLoop", 0) == 0) {
      EXPECT_GT(static_cast<int>(i), box);
      EXPECT_EQ(log[i], "EndMessageLoop 0");
    }
  }
  EXPECT_EQ(ui::windowEnding.boxesShowing, 0);
  EXPECT_EQ(ui::windowEnding.destroyDeferred, 0);
}

TEST_F(MainWindowTest, VisibleCommandLineFailureKeepsItsBoxAndEndsWithTheResult) {
  app::installMode = 1;
  PumpWhileBoxesShow();
  window = ui::CreateMainWindow(nullptr, MainWindowProc, nullptr, "Title");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(LoopQuitCode(), -1);
  EXPECT_EQ(LinesOf("ShowMessageBox").size(), 1u);
  const int box = IndexOf("ShowMessageBox");
  const std::vector<std::string> log = fake::SeamLog();
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i].rfind("EndMessageLoop", 0) == 0) {
      EXPECT_GT(static_cast<int>(i), box);
      EXPECT_EQ(log[i], "EndMessageLoop -1");
    }
  }
}

}  // namespace
}  // namespace window_test
