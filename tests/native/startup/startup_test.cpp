// Start-up against the fake platform: the command line's tail and options,
// the stale windows, and ApplicationMain's runs and exit codes.
#include <algorithm>
#include <string>
#include <vector>

#include "app/application_main.h"
#include "app/parse_options.h"
#include "app/setup_log.h"
#include "platform/fake/fake_log_file.h"
#include "platform/messages.h"
#include "platform/named_mutex.h"
#include "tests/native/window/window_fixture.h"
#include "ui/window_messages.h"

namespace window_test {
namespace {

// --- Command line ---------------------------------------------------------------

TEST(ParseOptionsTest, ScansCharacterByCharacterForTheFiveOptions) {
  struct Case {
    const char* text;
    int hidden, install, uninstall;
  };
  const Case cases[] = {
      {nullptr, 0, 0, 0},       {"", 0, 0, 0},         {"-", 0, 0, 0},          {"h", 0, 0, 0},
      {"-h", 1, 0, 0},          {"-H", 1, 0, 0},       {"-i", 0, 1, 0},         {"-I", 0, 0, 0},
      {"-u", 0, 0, 1},          {"-U", 0, 0, 1},       {"-h -i", 1, 1, 0},      {"-i -h", 1, 1, 0},
      {"-h-i", 1, 1, 0},        {"-hu", 1, 0, 0},      {"--h", 0, 0, 0},        {"-h -", 1, 0, 0},
      {"--", 0, 0, 0},          {"x-i", 0, 1, 0},      {"-x -u", 0, 0, 1},      {"C:\\my-updates", 0, 0, 1},
      {"/h /i", 0, 0, 0},       {"-- -u", 0, 0, 1},    {"-h\t-U", 1, 0, 1},     {"a-", 0, 0, 0},
  };
  for (const Case& c : cases) {
    app::hiddenMode = app::installMode = app::uninstallMode = 0;
    app::ParseOptions(c.text);
    const std::string name = c.text != nullptr ? c.text : "(null)";
    EXPECT_EQ(app::hiddenMode, c.hidden) << name;
    EXPECT_EQ(app::installMode, c.install) << name;
    EXPECT_EQ(app::uninstallMode, c.uninstall) << name;
  }
  // Flags are only ever set.
  app::ParseOptions("-h");
  app::ParseOptions("none");
  EXPECT_EQ(app::hiddenMode, 1);
  app::hiddenMode = app::installMode = app::uninstallMode = 0;
}

TEST(CommandLineTailTest, SkipsTheProgramNameAndTheBlanksAfterIt) {
  struct Case {
    const char* line;
    const char* tail;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\my-u\\BrevikSetup.exe\" -h -i", "-h -i"},
      {"\"C:\\a b\\setup.exe\"\t \x01 -u", "-u"},
      {"\"C:\\a b\\setup.exe\"-h", "-h"},
      {"C:\\my-u\\setup.exe -h", "-h"},
      {"C:\\my-u\\setup.exe\t\t-i  ", "-i  "},
      {"setup.exe", ""},
      {"setup.exe   ", ""},
      {"\"unterminated -h", ""},
      {"", ""},
      {"se\xE9tup.exe -h", "-h"},  // a letter above 127 is not a blank
  };
  for (const Case& c : cases) EXPECT_STREQ(app::CommandLineTail(c.line), c.tail) << c.line;
  EXPECT_STREQ(app::CommandLineTail(nullptr), "");

  // A hyphen in the program's own path never reaches the scan.
  app::hiddenMode = app::installMode = app::uninstallMode = 0;
  app::ParseOptions(app::CommandLineTail("\"C:\\my-updates\\Brevik-Setup.exe\""));
  app::ParseOptions(app::CommandLineTail("C:\\my-updates\\setup.exe"));
  EXPECT_EQ(app::uninstallMode, 0);
}

// --- Stale windows -------------------------------------------------------------------

class StartupTest : public WindowFixture {};

platform::WindowHandle Handle(uintptr_t value) { return reinterpret_cast<platform::WindowHandle>(value); }

TEST_F(StartupTest, StaleWindowsAreThoseWhoseTitleBeginsWithThePrefixExactly) {
  const std::string companion = "SONDREL_Brevik.exe";
  fake::AddTopLevelWindow(Handle(1), "Kelvane Brevik", companion);
  fake::AddTopLevelWindow(Handle(2), "Kelvane Brevik Installation (Version 1.0.0.7)", companion);
  fake::AddTopLevelWindow(Handle(3), "kelvane brevik", companion);
  fake::AddTopLevelWindow(Handle(4), "Kelvane Brevi", companion);
  fake::AddTopLevelWindow(nullptr, "Kelvane Brevik", companion);
  fake::AddTopLevelWindow(Handle(5), "", companion);
  fake::AddTopLevelWindow(Handle(6), "The Kelvane Brevik", companion);
  fake::AddTopLevelWindow(Handle(7), "Kelvane Brevik companion", companion);
  app::CloseStaleWindows("Kelvane Brevik", app::PRODUCT_PROGRAMS);

  EXPECT_EQ(LinesOf("PostWindowMessage"),
            (std::vector<std::string>{"PostWindowMessage 1 2 0 0", "PostWindowMessage 2 2 0 0",
                                      "PostWindowMessage 7 2 0 0"}));
  EXPECT_EQ(fake::VisitedWindows().size(), 8u);     // never cut short
  EXPECT_EQ(LinesOf("ReadWindowTitle").size(), 7u);  // the empty handle is skipped
  // Only a title that matches leads to the question which program made it.
  EXPECT_EQ(LinesOf("ReadWindowProgramName").size(), 3u);
}

TEST_F(StartupTest, OnlyWindowsOfTheProductsOwnProgramsAreAskedToGo) {
  struct Case {
    const char* title;
    const char* program;  // "" when the name cannot be read exactly
    bool closed;
  };
  const Case cases[] = {
      {"Kelvane Brevik", "SONDREL_Brevik.exe", true},
      {"Kelvane Brevik", "sondrel_brevik.EXE", true},  // file names ignore letter case
      {"Kelvane Brevik setup tool", "SONDREL_Setup.exe", true},
      {"Kelvane Brevik setup tool", "SONDREL_Setup_x64.exe", true},
      {"Kelvane Brevik notes.txt - Notepad", "notepad.exe", false},
      {"Kelvane Brevik - Web Browser", "browser.exe", false},
      {"Kelvane Brevik", "", false},
      {"Kelvane Brevik", "SONDREL_Brevik.exe.exe", false},
      {"Kelvane Brevik", "SONDREL_Brevik", false},
      {"Kelvane Brevik", "BrevikSetup.exe", false},
      {"Kelvane Brevik", "SONDREL_BREV\xDDK.EXE", false},  // a capital dotted I is no I
  };
  uintptr_t handle = 1;
  for (const Case& c : cases) fake::AddTopLevelWindow(Handle(handle++), c.title, c.program);
  app::CloseStaleWindows(app::STALE_WINDOW_PREFIX, app::PRODUCT_PROGRAMS);

  std::vector<std::string> expected;
  handle = 1;
  for (const Case& c : cases) {
    if (c.closed) expected.push_back("PostWindowMessage " + std::to_string(handle) + " 2 0 0");
    ++handle;
  }
  EXPECT_EQ(LinesOf("PostWindowMessage"), expected);
}

TEST_F(StartupTest, StaleWindowTitlesAreReadToAtMost511Characters) {
  const std::string prefix511(511, 'K');
  const std::string prefix512(512, 'K');
  fake::AddTopLevelWindow(Handle(1), prefix512, "SONDREL_Brevik.exe");
  fake::AddTopLevelWindow(Handle(2), prefix512 + "and more", "SONDREL_Brevik.exe");
  app::CloseStaleWindows(prefix512.c_str(), app::PRODUCT_PROGRAMS);
  EXPECT_TRUE(LinesOf("PostWindowMessage").empty());
  app::CloseStaleWindows(prefix511.c_str(), app::PRODUCT_PROGRAMS);
  EXPECT_EQ(LinesOf("PostWindowMessage").size(), 2u);
}

// --- ApplicationMain ---------------------------------------------------------------------

const std::string kLock =
    "CreateOwnedMutex Kelvane Brevik-Installation- Mutex-{12783DE4-C2B5-4698-9D26-EA7E355B50E9}";
const std::string kMachineLock =
    "CreateOwnedMutex Global\\Kelvane Brevik-Installation- Mutex-{12783DE4-C2B5-4698-9D26-EA7E355B50E9}-Machine";
platform::ModuleHandle const kInstance = reinterpret_cast<platform::ModuleHandle>(0x400000);

TEST_F(StartupTest, ASecondCopyEndsAtOnceWithMinusOneDoingNothing) {
  for (int outcome : {platform::MUTEX_ALREADY_EXISTS, platform::MUTEX_FAILED}) {
    SetUp();
    fake::SetEnvironmentText(app::LOG_REQUEST_VARIABLE, "C:\\logs\\setup.log");
    fake::AddTopLevelWindow(Handle(1), "Kelvane Brevik Installation (Version 1.0.0.7)");
    fake::mutexKnobs.outcome = outcome;
    EXPECT_EQ(app::ApplicationMain(kInstance, "-h -i"), -1);
    std::vector<std::string> expected = {kLock};
    if (outcome == platform::MUTEX_ALREADY_EXISTS) expected.push_back("CloseNamedMutex");
    EXPECT_EQ(fake::SeamLog(), expected);
    EXPECT_TRUE(fake::CallsOf("QueryWow64").empty());
    EXPECT_EQ(fake::OpenMutexHandles(), 0u);
    // The log is asked for, but a copy that ends at the lock leaves no file.
    EXPECT_TRUE(fake::LogFilePaths().empty());
    // Options are parsed before the lock.
    EXPECT_EQ(app::hiddenMode, 1);
    EXPECT_EQ(app::installMode, 1);
  }
}

// The machine-wide lock, taken after the session's: one that exists, or that
// this copy may not create or open, ends the run like the session's own.
TEST_F(StartupTest, AMachineLockHeldOrRefusedEndsAtOnceWithMinusOne) {
  for (int outcome : {platform::MUTEX_ALREADY_EXISTS, platform::MUTEX_FAILED}) {
    SetUp();
    fake::SetEnvironmentText(app::LOG_REQUEST_VARIABLE, "C:\\logs\\setup.log");
    fake::AddTopLevelWindow(Handle(1), "Kelvane Brevik", "SONDREL_Brevik.exe");
    fake::mutexKnobs.outcomeByName[app::MACHINE_INSTANCE_MUTEX] = outcome;
    EXPECT_EQ(app::ApplicationMain(kInstance, "-h -i"), -1);
    // The session's lock is given up; every handle is closed.
    std::vector<std::string> expected = {kLock, kMachineLock, "ReleaseNamedMutex"};
    if (outcome == platform::MUTEX_ALREADY_EXISTS) expected.push_back("CloseNamedMutex");
    expected.push_back("CloseNamedMutex");
    EXPECT_EQ(fake::SeamLog(), expected);
    EXPECT_EQ(fake::OpenMutexHandles(), 0u);
    EXPECT_FALSE(fake::MutexOwned());
    EXPECT_TRUE(fake::LogFilePaths().empty());
  }
}

TEST_F(StartupTest, BothLocksAreHeldWhileTheWindowRunsAndReleasedAtTheEnd) {
  size_t heldInLoop = 0;
  fake::SetCallObserver([&](const std::string& line) {
    if (line == "RunMessageLoop" && fake::MutexOwned()) heldInLoop = fake::OpenMutexHandles();
  });
  EXPECT_EQ(app::ApplicationMain(kInstance, "-h -u"), 0);
  EXPECT_EQ(heldInLoop, 2u);
  EXPECT_EQ(IndexOf(kMachineLock), IndexOf(kLock) + 1);
  EXPECT_EQ(LinesOf("ReleaseNamedMutex").size(), 2u);
  EXPECT_EQ(fake::OpenMutexHandles(), 0u);
  EXPECT_FALSE(fake::MutexOwned());
}

TEST_F(StartupTest, HiddenRunWithoutDriverAndUninstallEndsWithZero) {
  fake::SetWow64(platform::WOW64_ANSWERED, 1);
  EXPECT_EQ(app::ApplicationMain(kInstance, "-h -u"), 0);
  const std::vector<std::string> log = fake::SeamLog();
  const std::vector<std::string> order = {kLock,
                                          "EnumerateTopLevelWindows",
                                          "InitializeThreadCom",
                                          "KeepWindowsFromGhosting",
                                          "RegisterWindowClass",
                                          "CreateAppWindow KVBrevik0Installer0MainWindow0 | Kelvane Brevik "
                                          "Installation (Version 1.0.0.7) |",
                                          "ShowAppWindow",
                                          "RunMessageLoop",
                                          "EndMessageLoop 0",
                                          "RunMessageLoop ends 0",
                                          "ReleaseNamedMutex",
                                          "CloseNamedMutex",
                                          "UninitializeThreadCom"};
  int last = -1;
  for (const std::string& step : order) {
    const int at = IndexOf(step);
    EXPECT_GT(at, last) << step;
    last = at;
  }
  EXPECT_EQ(app::appState.instance, kInstance);
  EXPECT_EQ(app::appState.is64BitHost, 1);
  EXPECT_FALSE(fake::MutexOwned());
  EXPECT_EQ(fake::OpenMutexHandles(), 0u);
}

TEST_F(StartupTest, ComIsEndedOnlyWhenThisThreadBeganIt) {
  fake::threadKnobs.comInitResult = 0;
  EXPECT_EQ(app::ApplicationMain(kInstance, "-h -u"), 0);
  EXPECT_TRUE(LinesOf("UninitializeThreadCom").empty());
}

TEST_F(StartupTest, HiddenRunWithoutModeWaitsUntilClosedFromOutside) {
  // Nothing ends the loop by itself: the fake reports a loop that would wait
  // for ever.
  EXPECT_EQ(app::ApplicationMain(kInstance, "-h"), fake::LOOP_STALLED);

  // A close request from outside, once the loop runs, ends it with 0.
  SetUp();
  fake::SetCallObserver([](const std::string& line) {
    if (line == "RunMessageLoop") platform::PostWindowMessage(app::appState.mainWindow, ui::WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(app::ApplicationMain(kInstance, "-h"), 0);
  EXPECT_TRUE(LinesOf("ShowMessageBox").empty());
  EXPECT_TRUE(LinesOf("RunMessageLoop stalled").empty());
}

TEST_F(StartupTest, FailedMessageLoopEndsWithItsOwnCodeAndFreesTheLock) {
  fake::messageKnobs.failLoop = true;
  EXPECT_EQ(app::ApplicationMain(kInstance, "-h -i"), app::EXIT_MESSAGE_LOOP_FAILED);
  EXPECT_EQ(app::EXIT_MESSAGE_LOOP_FAILED, -4);
  EXPECT_FALSE(fake::MutexOwned());
  EXPECT_EQ(fake::OpenMutexHandles(), 0u);
}

TEST_F(StartupTest, HiddenInstallFailureEndsWithTheResultAndShowsNothing) {
  fake::SetEnvironmentText(app::LOG_REQUEST_VARIABLE, "C:\\logs\\setup.log");
  EXPECT_EQ(app::ApplicationMain(kInstance, "-h -i"), -1);
  EXPECT_TRUE(LinesOf("ShowMessageBox").empty());
  EXPECT_EQ(LinesOf("EndMessageLoop"), std::vector<std::string>{"EndMessageLoop -1"});

  // The log of the run: header first, the procedure's result, the exit code
  // last, and the file closed at the end.
  const std::string stamp = "2026-12-09T01:02:03.456Z  ";
  const std::string log = fake::LogFileText("C:\\logs\\setup.log");
  EXPECT_EQ(log.rfind(stamp + "start  BrevikSetup 1.0.0.7  program ", 0), 0u) << log;
  EXPECT_NE(log.find("  command \"-h -i\"  os "), std::string::npos) << log;
  EXPECT_NE(log.find(stamp + "step  package  failed -1\r\n" + stamp + "result  install  -1\r\n"),
            std::string::npos)
      << log;
  const std::string end = stamp + "end  exit -1\r\n";
  EXPECT_EQ(log.substr(log.size() - std::min(log.size(), end.size())), end);
  EXPECT_EQ(fake::OpenLogFiles(), 0);
}

// A close or destroy request from outside (a polite end of the process, as
// `taskkill` without /f sends) never turns a hidden run's result into another
// exit code, whenever it arrives: queued before or behind the start command,
// during the procedure, or after the run asked to end with the result.
TEST_F(StartupTest, ARequestToEndFromOutsideNeverChangesAHiddenRunsResult) {
  struct Point {
    const char* name;
    const char* seamText;  // the request is posted at the first log line holding this
  };
  const Point points[] = {
      {"queued before the start command", "QueryNonClientMetrics"},
      {"queued behind the start command", "RunMessageLoop"},
      {"during the procedure, after its failure notification", " 180 127"},
      {"after the end was asked for", "EndMessageLoop -1"},
  };
  for (const char* tail : {"-h -i", "-h -u"}) {
    for (const Point& point : points) {
      for (uint32_t message : {ui::WM_CLOSE, ui::WM_DESTROY}) {
        SetUp();
        // -h -u runs the uninstall only where the driver is present.
        if (std::string(tail) == "-h -u") fake::deviceKnobs.outcome = platform::DEVICE_OPEN_FAILED;
        fake::SetEnvironmentText(app::LOG_REQUEST_VARIABLE, "C:\\logs\\setup.log");
        bool posted = false;
        fake::SetCallObserver([&](const std::string& line) {
          if (!posted && line.find(point.seamText) != std::string::npos) {
            posted = true;
            platform::PostWindowMessage(app::appState.mainWindow, message, 0, 0);
          }
        });
        const std::string name = std::string(tail) + ", " + point.name + ", message " + std::to_string(message);
        EXPECT_EQ(app::ApplicationMain(kInstance, tail), -1) << name;
        EXPECT_TRUE(posted) << name;
        const std::string log = fake::LogFileText("C:\\logs\\setup.log");
        EXPECT_NE(log.find("  end  exit -1\r\n"), std::string::npos) << name << "\n" << log;
        EXPECT_EQ(log.find("  end  exit 0"), std::string::npos) << name;
      }
    }
  }
}

TEST_F(StartupTest, VisibleInstallFailureShowsItsBoxAndEndsWithTheResult) {
  PumpWhileBoxesShow();
  EXPECT_EQ(app::ApplicationMain(kInstance, "-i"), -1);
  const std::vector<std::string> boxes = LinesOf("ShowMessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("Brevik Installation Error"), std::string::npos);
  EXPECT_GT(IndexOf("EndMessageLoop"), IndexOf("ShowMessageBox"));
}

TEST_F(StartupTest, NoWindowMeansNoLoopAndItsOwnExitCode) {
  fake::windowKnobs.failCreation = true;
  EXPECT_EQ(app::ApplicationMain(kInstance, ""), app::EXIT_NO_WINDOW);
  EXPECT_EQ(app::EXIT_NO_WINDOW, -2);
  EXPECT_EQ(LinesOf("ShowMessageBox"),
            std::vector<std::string>{"ShowMessageBox 0 0x30 Startup Error | Failed to create window..."});
  EXPECT_TRUE(LinesOf("RunMessageLoop").empty());
  EXPECT_LT(IndexOf("ReleaseNamedMutex"), IndexOf("CloseNamedMutex"));
  EXPECT_GT(IndexOf("UninitializeThreadCom"), IndexOf("CloseNamedMutex"));
  EXPECT_EQ(fake::OpenMutexHandles(), 0u);
}

}  // namespace
}  // namespace window_test
