// The sample payload's files: the manifest's 21 entries in table order, the
// icons as the system loads them, the program builds' machine and subsystem,
// the placeholders' labels, and the companion application's window.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "payload/sample_entries.h"
#include "tests/windows/payload/payload_test_support.h"

namespace payload_test {
namespace {

constexpr uint16_t MACHINE_I386 = 0x14c;
constexpr uint16_t MACHINE_AMD64 = 0x8664;
constexpr uint16_t SUBSYSTEM_GUI = 2;
constexpr DWORD WINDOW_WAIT_MS = 20000;
constexpr const char* BREVIK_CLASS = "KelvaneBrevikCompanionWindow";
// The setup program closes every top-level window whose title begins so.
constexpr const char* STALE_WINDOW_PREFIX = "Kelvane Brevik";

std::vector<uint8_t> ReadWhole(const std::string& windowsPath) {
  std::ifstream in(windowsPath, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& windowsPath) {
  const std::vector<uint8_t> bytes = ReadWhole(windowsPath);
  return std::string(bytes.begin(), bytes.end());
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) { return Le16(b, at) | static_cast<uint32_t>(Le16(b, at + 2)) << 16; }

// Base names of the manifest's entries, comments and blank lines skipped.
std::vector<std::string> ManifestNames(const std::string& unixPath) {
  std::ifstream in(ToWindowsPath(unixPath));
  std::vector<std::string> names;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    names.push_back(line.substr(line.find_last_of('/') + 1));
  }
  return names;
}

std::string Extension(const std::string& name) { return name.substr(name.find_last_of('.') + 1); }

TEST(SamplePayload, ManifestListsTheTableRolesInOrder) {
  const std::vector<std::string> names = ManifestNames(KV_SAMPLE_MANIFEST);
  ASSERT_EQ(names.size(), 21u);
  const char* roles[21] = {"ico", "ico", "cat", "sys", "cat", "sys", "cat", "sys", "cat", "sys", "cat",
                           "sys", "exe", "exe", "inf", "inf", "inf", "inf", "inf", "exe", "txt"};
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(Extension(names[i]), roles[i]) << "entry " << i + 1;
  EXPECT_EQ(names[0], "pin_in.ico");
  EXPECT_EQ(names[1], "pin_out.ico");
  EXPECT_EQ(names[12], "SONDREL_Setup.exe");
  EXPECT_EQ(names[13], "SONDREL_Setup_x64.exe");
  EXPECT_EQ(names[19], "SONDREL_Brevik.exe");
  EXPECT_EQ(names[20], "readme.txt");
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 21u) << "names must be distinct";
  // Drivers by system: Vista, 7, XP for 32-bit, then Vista, 7 for 64-bit.
  const char* systems[5] = {"vista_x86", "win7_x86", "xp_x86", "vista_x64", "win7_x64"};
  for (int s = 0; s < 5; ++s) {
    EXPECT_NE(names[2 + 2 * s].find(systems[s]), std::string::npos) << names[2 + 2 * s];
    EXPECT_NE(names[3 + 2 * s].find(systems[s]), std::string::npos) << names[3 + 2 * s];
    EXPECT_NE(names[14 + s].find(systems[s]), std::string::npos) << names[14 + s];
  }
  for (const std::string& name : names) EXPECT_FALSE(ReadWhole(PayloadFile(name.c_str())).empty()) << name;
}

// The names generated for the tests and scripts are the ones the payload packs.
TEST(SamplePayload, GeneratedNamesAreTheManifests) {
  const std::vector<std::string> names = ManifestNames(KV_SAMPLE_MANIFEST);
  EXPECT_EQ(std::vector<std::string>(std::begin(sample_payload::ENTRY_NAMES), std::end(sample_payload::ENTRY_NAMES)),
            names);
  EXPECT_EQ(ManifestNames(KV_SAMPLE_ENTRY_LIST), names);
}

TEST(SamplePayload, DriverFilesArePlainlyPlaceholders) {
  for (const std::string& name : ManifestNames(KV_SAMPLE_MANIFEST)) {
    const std::string kind = Extension(name);
    if (kind != "cat" && kind != "sys" && kind != "inf") continue;
    const std::string text = ReadText(PayloadFile(name.c_str()));
    EXPECT_NE(text.find("PLACEHOLDER"), std::string::npos) << name;
    EXPECT_NE(text.find("NOT A REAL DRIVER"), std::string::npos) << name;
    EXPECT_NE(text.find(name), std::string::npos) << name << " should name itself";
    EXPECT_NE(text.find("\r\n"), std::string::npos) << name << " should have Windows line ends";
  }
  const std::string readme = ReadText(PayloadFile("readme.txt"));
  for (const char* topic : {"Brevik", "Mireline", "KV\\Brevik", "Uninstalling", "PLACEHOLDERS"}) {
    EXPECT_NE(readme.find(topic), std::string::npos) << topic;
  }
}

// Checks the .ico directory against the file and the images inside it, then
// lets the system load both sizes.
void CheckIcon(const char* name) {
  SCOPED_TRACE(name);
  const std::vector<uint8_t> ico = ReadWhole(PayloadFile(name));
  ASSERT_GE(ico.size(), 6u);
  EXPECT_EQ(Le16(ico, 0), 0);  // reserved
  EXPECT_EQ(Le16(ico, 2), 1);  // icon, not cursor
  const uint16_t count = Le16(ico, 4);
  ASSERT_EQ(count, 2);
  std::set<int> sizes;
  size_t expectedOffset = 6 + 16u * count;
  for (uint16_t i = 0; i < count; ++i) {
    const size_t entry = 6 + 16u * i;
    const int width = ico[entry] == 0 ? 256 : ico[entry];
    EXPECT_EQ(ico[entry + 1], ico[entry]);   // square
    EXPECT_EQ(Le16(ico, entry + 6), 32);     // bits per pixel
    const uint32_t size = Le32(ico, entry + 8);
    const uint32_t offset = Le32(ico, entry + 12);
    EXPECT_EQ(offset, expectedOffset);
    ASSERT_LE(static_cast<size_t>(offset) + size, ico.size());
    EXPECT_EQ(Le32(ico, offset), 40u);                                // BITMAPINFOHEADER
    EXPECT_EQ(static_cast<int>(Le32(ico, offset + 4)), width);        // width
    EXPECT_EQ(static_cast<int>(Le32(ico, offset + 8)), 2 * width);    // colour and mask rows
    const uint32_t maskStride = ((width + 31) / 32) * 4;
    EXPECT_EQ(size, 40 + width * width * 4 + width * maskStride);
    sizes.insert(width);
    expectedOffset = static_cast<size_t>(offset) + size;
  }
  EXPECT_EQ(expectedOffset, ico.size());
  EXPECT_EQ(sizes, (std::set<int>{16, 32}));
  for (int size : {16, 32}) {
    const HANDLE icon = LoadImageA(nullptr, PayloadFile(name).c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE);
    EXPECT_NE(icon, nullptr) << size;
    if (icon != nullptr) DestroyIcon(static_cast<HICON>(icon));
  }
}

TEST(SamplePayload, IconsAreWellFormedAndDistinct) {
  CheckIcon("pin_in.ico");
  CheckIcon("pin_out.ico");
  EXPECT_NE(ReadWhole(PayloadFile("pin_in.ico")), ReadWhole(PayloadFile("pin_out.ico")));
}

// Machine and subsystem from a program's PE header.
void CheckProgram(const char* name, uint16_t machine) {
  SCOPED_TRACE(name);
  const std::vector<uint8_t> image = ReadWhole(PayloadFile(name));
  ASSERT_GE(image.size(), 0x40u);
  ASSERT_EQ(image[0], 'M');
  ASSERT_EQ(image[1], 'Z');
  const uint32_t pe = Le32(image, 0x3c);
  ASSERT_LE(static_cast<size_t>(pe) + 24 + 70, image.size());
  ASSERT_EQ(Le32(image, pe), 0x00004550u);  // "PE\0\0"
  EXPECT_EQ(Le16(image, pe + 4), machine);
  // The subsystem field sits at offset 68 of the optional header in both formats.
  EXPECT_EQ(Le16(image, pe + 24 + 68), SUBSYSTEM_GUI);
}

TEST(SamplePayload, ProgramsAreGuiBuildsForTheirMachines) {
  // The 64-bit test build packs the x64 tool under both names, and builds
  // the companion application as x64 too.
  const uint16_t own = sizeof(void*) == 4 ? MACHINE_I386 : MACHINE_AMD64;
  CheckProgram("SONDREL_Setup.exe", own);
  CheckProgram("SONDREL_Setup_x64.exe", MACHINE_AMD64);
  CheckProgram("SONDREL_Brevik.exe", own);
}

// A running companion application, ended (if still running) when the test ends.
class CompanionApp : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = PayloadFile("SONDREL_Brevik.exe");
    std::string line = "\"";
    line += path;  // appended, not concatenated: GCC 12 -Wrestrict misfires on "x" + s
    line += "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process_));
    CloseHandle(process_.hThread);
    WaitForInputIdle(process_.hProcess, WINDOW_WAIT_MS);
    for (DWORD waited = 0; waited < WINDOW_WAIT_MS && window_ == nullptr; waited += 50) {
      window_ = FindOwnWindow();
      if (window_ == nullptr) Sleep(50);
    }
    ASSERT_NE(window_, nullptr) << "no companion window appeared";
  }
  void TearDown() override {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hProcess);
  }
  HWND FindOwnWindow() const {
    for (HWND w = FindWindowA(BREVIK_CLASS, nullptr); w != nullptr; w = FindWindowExA(nullptr, w, BREVIK_CLASS, nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == process_.dwProcessId) return w;
    }
    return nullptr;
  }
  DWORD WaitForExit() const {
    if (WaitForSingleObject(process_.hProcess, WINDOW_WAIT_MS) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

TEST_F(CompanionApp, ShowsItsNameAndEndsOnTheSetupProgramsPostedDestroy) {
  char title[256] = {};
  GetWindowTextA(window_, title, sizeof title);
  EXPECT_EQ(std::strncmp(title, STALE_WINDOW_PREFIX, std::strlen(STALE_WINDOW_PREFIX)), 0) << title;
  EXPECT_NE(FindWindowExA(window_, nullptr, "Button", "Close"), nullptr);
  ASSERT_TRUE(PostMessageA(window_, WM_DESTROY, 0, 0));
  EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(CompanionApp, EndsCleanlyOnACloseRequest) {
  ASSERT_TRUE(PostMessageA(window_, WM_CLOSE, 0, 0));
  EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(CompanionApp, EndsCleanlyThroughItsCloseButton) {
  const HWND button = FindWindowExA(window_, nullptr, "Button", "Close");
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(PostMessageA(button, BM_CLICK, 0, 0));
  EXPECT_EQ(WaitForExit(), 0u);
}

}  // namespace
}  // namespace payload_test
