// The install and uninstall procedures on a Wine prefix, with the sample
// package embedded in this program: every effect of an install is checked
// through the system's own interfaces, then the uninstall must take it all
// away again. The restart marker of the stand-in tool gives the restart
// paths; the uninstall's closing box is read off the screen and dismissed.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "app/options.h"
#include "app/worker.h"
#include "payload/sample_entries.h"
#include "platform/system.h"
#include "probe/folder_resolution.h"
#include "probe/system_probe.h"
#include "setup/install.h"
#include "setup/uninstall.h"
#include "tests/windows/shell_link_reader.h"

namespace {

const char kEntryKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KV:Brevik {17359A74-1236-5467}";
const char kMarkerKey[] = "SOFTWARE\\Kelvane\\SONDREL_Setup";
const char kRebootCaption[] = "REBOOT YOUR SYSTEM";

std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing " + path + ">";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string MachineValue(const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntryKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "<no key>";
  char data[2048] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  LONG read = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || type != REG_SZ) return "<no value>";
  return data;
}

bool EntryKeyExists() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void SetRestartMarker(bool set) {
  if (!set) {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kMarkerKey, KEY_WOW64_32KEY, 0);
    return;
  }
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMarkerKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  DWORD one = 1;
  RegSetValueExA(key, "RestartPending", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(key);
}

bool DriverPresent() {
  return probe::OpenDriverInterface(probe::DRIVER_INTERFACE_CLASS).outcome != probe::DRIVER_INTERFACE_NONE;
}

// Commands posted to this thread's queue (the procedures post to a null
// window here), as "command code" texts.
std::vector<std::string> TakeThreadCommands() {
  std::vector<std::string> commands;
  MSG message;
  while (PeekMessageA(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE)) {
    if (message.message == WM_COMMAND) {
      commands.push_back(std::to_string(LOWORD(message.wParam)) + " " + std::to_string(message.lParam));
    }
  }
  return commands;
}

// Waits on a thread of its own for the box with `caption`, reads its text
// and presses its button.
class BoxReader {
 public:
  BoxReader() : thread_([this] { Watch(); }) {}
  ~BoxReader() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // The text of the box, once it has been dismissed; empty when none came
  // within half a minute.
  std::string Text() {
    if (thread_.joinable()) thread_.join();
    return text_;
  }

 private:
  void Watch() {
    for (int i = 0; i < 600 && !stop_; ++i) {
      HWND box = FindWindowA(nullptr, kRebootCaption);
      if (box != nullptr) {
        char text[512] = {};
        // The static control of a message box that holds its text.
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        text_ = text;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return;
      }
      Sleep(50);
    }
  }
  std::atomic<bool> stop_{false};
  std::string text_;
  std::thread thread_;
};

class ProceduresWin32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { probe::InitSpecialFolders(); }

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    // Wine writes the per-user "Shell Folders" values once the folder has
    // been asked for, as Explorer has done on any used Windows account.
    char programs[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, TRUE));
    userMenu_ = std::string(programs) + "\\Kelvane\\Brevik";
    commonMenu_ = std::string(probe::GetCommonProgramsFolder()) + "\\Kelvane\\Brevik";
    ASSERT_NE(std::string(probe::GetCommonProgramsFolder()), "");

    state_ = std::make_unique<app::AppState>();
    app::ClearAppState(*state_);
    state_->instance = GetModuleHandleA(nullptr);
    state_->is64BitHost = probe::IsWow64Host();
    ASSERT_EQ(platform::GetModulePath(nullptr, state_->modulePath, sizeof state_->modulePath), 1);
    app::hiddenMode = 1;
    SetRestartMarker(false);
    Clean();
    TakeThreadCommands();
  }

  void TearDown() override {
    SetRestartMarker(false);
    Clean();
    CoUninitialize();
  }

  // Takes away whatever an earlier, interrupted run left: the device
  // through the stand-in tool of the payload, then the procedure's own
  // removal (which needs the target folder's tool, so it is installed
  // first when a device is left).
  void Clean() {
    if (DriverPresent()) {
      setup::RunInstall(*state_);
      setup::RunUninstall(*state_);
    }
    ASSERT_FALSE(DriverPresent());
  }

  std::string Target() const {
    app::AppState probeState;
    app::ClearAppState(probeState);
    probe::ResolveTargetFolder(probeState, "KV\\Brevik");
    return probeState.targetFolder;
  }

  std::string ProgramName() const {
    std::string path = state_->modulePath;
    return path.substr(path.rfind('\\') + 1);
  }

  void ExpectInstalled() {
    const std::string target = Target();
    const std::string payload = WindowsPath(KV_SAMPLE_PAYLOAD_DIR);
    for (const char* name : sample_payload::ENTRY_NAMES) {
      EXPECT_EQ(FileBytes(target + "\\" + name), FileBytes(payload + "\\" + name)) << name;
    }
    EXPECT_EQ(FileBytes(target + "\\" + ProgramName()), FileBytes(state_->modulePath));
    EXPECT_TRUE(DriverPresent());
    for (const std::string& menu : {userMenu_, commonMenu_}) {
      wintest::LinkSettings readme = wintest::ReadLink(menu + "\\Readme.LNK");
      EXPECT_EQ(readme.loaded, S_OK) << menu;
      EXPECT_EQ(readme.path, target + "\\readme.txt");
      EXPECT_EQ(readme.workingDirectory, target);
      EXPECT_EQ(readme.description, "Readme");
      wintest::LinkSettings app = wintest::ReadLink(menu + "\\Brevik.LNK");
      EXPECT_EQ(app.loaded, S_OK) << menu;
      EXPECT_EQ(app.path, target + "\\SONDREL_Brevik.exe");
      EXPECT_EQ(app.description, "Brevik");
    }
    EXPECT_EQ(MachineValue("DisplayName"), "Brevik and Mireline");
    EXPECT_EQ(MachineValue("Publisher"), "Kelvane Software");
    EXPECT_EQ(MachineValue("UninstallString"), "\"" + target + "\\" + ProgramName() + "\"");
  }

  void ExpectRemoved() {
    EXPECT_FALSE(Exists(Target())) << Target();
    EXPECT_FALSE(Exists(userMenu_));
    EXPECT_FALSE(Exists(commonMenu_));
    EXPECT_FALSE(EntryKeyExists());
    EXPECT_FALSE(DriverPresent());
    EXPECT_EQ(state_->targetFolder[0], '\0');
  }

  std::unique_ptr<app::AppState> state_;
  std::string userMenu_;
  std::string commonMenu_;
};

TEST_F(ProceduresWin32Test, InstallPutsEverythingInPlaceAndUninstallTakesItAway) {
  // 64-bit prefixes run the 32-bit program under WoW64 and so the x64 tool;
  // the 64-bit test build is no WoW64 process and runs SONDREL_Setup.exe.
  const char* arch = std::getenv("KV_WINEARCH");
  EXPECT_EQ(state_->is64BitHost, sizeof(void*) == 4 && (arch == nullptr || std::string(arch) != "win32") ? 1 : 0);

  ASSERT_EQ(setup::RunInstall(*state_), 0);
  EXPECT_EQ(TakeThreadCommands(), std::vector<std::string>{"180 128"});
  EXPECT_STREQ(state_->statusText, "Installation Completed");
  ExpectInstalled();

  app::hiddenMode = 0;
  BoxReader box;
  EXPECT_EQ(setup::RunUninstall(*state_), 0);
  EXPECT_EQ(box.Text(), "Brevik and Mireline have been removed from the system\nBut YOU MUST RESTART your computer.");
  EXPECT_TRUE(TakeThreadCommands().empty());
  ExpectRemoved();
}

TEST_F(ProceduresWin32Test, WorkerInstallsWithItsOwnComAndWaits) {
  CoUninitialize();  // the worker must initialise COM for the shortcuts itself

  EXPECT_EQ(app::StartInstallWorker(*state_, 1), 0);
  EXPECT_EQ(state_->busy.load(), 0);
  EXPECT_EQ(state_->result, 0);
  EXPECT_EQ(state_->workerThread, nullptr);

  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  ExpectInstalled();
  EXPECT_EQ(setup::RunUninstall(*state_), 0);
  ExpectRemoved();
}

TEST_F(ProceduresWin32Test, RestartMarkerStopsTheInstallAndChangesTheClosingText) {
  SetRestartMarker(true);
  EXPECT_EQ(setup::RunInstall(*state_), -21);
  EXPECT_EQ(TakeThreadCommands(), std::vector<std::string>{"180 127"});
  EXPECT_STREQ(state_->failureText,
               "Cannot install Mireline Driver now...\nYOU MUST RESTART your system and then relaunch setup program");
  EXPECT_FALSE(DriverPresent());
  EXPECT_TRUE(Exists(Target() + "\\SONDREL_Setup.exe"));
  EXPECT_FALSE(Exists(userMenu_));
  EXPECT_FALSE(EntryKeyExists());

  SetRestartMarker(false);
  ASSERT_EQ(setup::RunInstall(*state_), 0);
  SetRestartMarker(true);
  app::hiddenMode = 0;
  {
    BoxReader box;
    EXPECT_EQ(setup::RunUninstall(*state_), 0);
    EXPECT_EQ(box.Text(), "RESTART SYSTEM to finish de-installation!");
  }
  // Exit code 1 at a removal: the tool removed the driver all the same,
  // and every file, link and key is gone.
  EXPECT_FALSE(DriverPresent());
  EXPECT_FALSE(Exists(Target()));
  EXPECT_FALSE(EntryKeyExists());
  app::hiddenMode = 1;
}

TEST_F(ProceduresWin32Test, MissingToolStopsTheUninstallBeforeAnyRemoval) {
  ASSERT_EQ(setup::RunInstall(*state_), 0);
  const std::string tool = Target() + (state_->is64BitHost ? "\\SONDREL_Setup_x64.exe" : "\\SONDREL_Setup.exe");
  ASSERT_TRUE(DeleteFileA(tool.c_str()));

  EXPECT_EQ(setup::RunUninstall(*state_), -605);
  EXPECT_TRUE(EntryKeyExists());
  EXPECT_TRUE(Exists(Target() + "\\readme.txt"));
  EXPECT_TRUE(DriverPresent());
  TakeThreadCommands();
}

}  // namespace
