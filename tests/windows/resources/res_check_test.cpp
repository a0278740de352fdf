// The setup program's resources, linked into this test program as they are
// into the setup program and read back through the system's own resource
// services: icon 100, bitmap 101, the package as raw data 100, the version
// record and the manifest.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr WORD ICON_ID = 100;
constexpr WORD BITMAP_ID = 101;
constexpr WORD PACKAGE_ID = 100;
constexpr WORD MANIFEST_ID = 1;

// The resource bytes of (type, id) of this program; empty when missing.
std::string ResourceBytes(LPCSTR type, WORD id) {
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(nullptr, found);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return std::string(static_cast<const char*>(data), ::SizeofResource(nullptr, found));
}

#pragma pack(push, 2)
// The icon group as stored in the program: a header and one entry per image.
struct GroupIconHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
struct GroupIconEntry {
  BYTE width;
  BYTE height;
  BYTE colourCount;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(SetupResources, IconHoldsSixteenColourImagesOfSixteenAndThirtyTwoPixels) {
  const std::string group = ResourceBytes(MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, ICON_ID);
  ASSERT_GE(group.size(), sizeof(GroupIconHeader));
  GroupIconHeader header;
  std::memcpy(&header, group.data(), sizeof header);
  EXPECT_EQ(header.type, 1);
  ASSERT_EQ(header.count, 2);
  ASSERT_EQ(group.size(), sizeof header + 2 * sizeof(GroupIconEntry));

  std::vector<int> sizes;
  for (int i = 0; i < 2; ++i) {
    GroupIconEntry entry;
    std::memcpy(&entry, group.data() + sizeof header + i * sizeof entry, sizeof entry);
    sizes.push_back(entry.width);
    EXPECT_EQ(entry.height, entry.width);
    EXPECT_EQ(entry.colourCount, 16);
    EXPECT_EQ(entry.bitCount, 4);
    // The image itself: a 4-bit bitmap twice as high as wide (colour + mask).
    const std::string image = ResourceBytes(MAKEINTRESOURCEA(3) /* RT_ICON */, entry.id);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER info;
    std::memcpy(&info, image.data(), sizeof info);
    EXPECT_EQ(info.biWidth, entry.width);
    EXPECT_EQ(info.biHeight, 2 * entry.width);
    EXPECT_EQ(info.biBitCount, 4);
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 32}));

  for (int size : {16, 32}) {
    HANDLE icon = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ICON_ID), IMAGE_ICON, size,
                               size, 0);
    EXPECT_NE(icon, nullptr) << size;
    if (icon != nullptr) ::DestroyIcon(static_cast<HICON>(icon));
  }
}

TEST(SetupResources, BackgroundBitmapIs900By424In24Bits) {
  const std::string stored = ResourceBytes(MAKEINTRESOURCEA(2) /* RT_BITMAP */, BITMAP_ID);
  ASSERT_GE(stored.size(), sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER info;
  std::memcpy(&info, stored.data(), sizeof info);
  EXPECT_EQ(info.biWidth, 900);
  EXPECT_EQ(info.biHeight, 424);
  EXPECT_EQ(info.biBitCount, 24);
  EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(stored.size(), sizeof info + 900u * 3u * 424u);

  HBITMAP bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(BITMAP_ID));
  ASSERT_NE(bitmap, nullptr);
  BITMAP description;
  ASSERT_EQ(::GetObjectA(bitmap, sizeof description, &description), static_cast<int>(sizeof description));
  EXPECT_EQ(description.bmWidth, 900);
  EXPECT_EQ(description.bmHeight, 424);
  ::DeleteObject(bitmap);
}

TEST(SetupResources, PackageIsTheBuiltPackageByteForByte) {
  // Wine shows the host's file system as drive Z:.
  std::FILE* file = std::fopen("Z:" KV_PACKAGE_BIN_PATH, "rb");
  ASSERT_NE(file, nullptr) << KV_PACKAGE_BIN_PATH;
  std::string expected;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) expected.append(buffer, got);
  std::fclose(file);

  const std::string stored = ResourceBytes(MAKEINTRESOURCEA(10) /* RT_RCDATA */, PACKAGE_ID);
  EXPECT_GT(stored.size(), 3276u);
  EXPECT_EQ(stored.size(), expected.size());
  EXPECT_TRUE(stored == expected);
}

std::string VersionString(const std::vector<char>& block, const char* name) {
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &length) ||
      length < sizeof(Translation)) {
    return "(no translation)";
  }
  char path[128];
  std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translations[0].language,
                translations[0].codePage, name);
  char* value = nullptr;
  if (!::VerQueryValueA(block.data(), path, reinterpret_cast<void**>(&value), &length)) return "(missing)";
  return std::string(value);
}

TEST(SetupResources, VersionRecordNamesTheProductAndVersion1_0_0_7) {
  char modulePath[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameA(nullptr, modulePath, sizeof modulePath), 0u);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(modulePath, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(::GetFileVersionInfoA(modulePath, 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000007u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000007u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed->dwFileDateMS, 0u);
  EXPECT_EQ(fixed->dwFileDateLS, 0u);

  EXPECT_EQ(VersionString(block, "ProductName"), "Brevik and Mireline");
  EXPECT_EQ(VersionString(block, "CompanyName"), "Kelvane");
  EXPECT_EQ(VersionString(block, "FileVersion"), "1.0.0.7");
  EXPECT_EQ(VersionString(block, "ProductVersion"), "1.0.0.7");
  EXPECT_EQ(VersionString(block, "OriginalFilename"), "BrevikSetup.exe");
  EXPECT_FALSE(VersionString(block, "FileDescription").empty());
  EXPECT_NE(VersionString(block, "LegalCopyright").find("Kelvane"), std::string::npos);
}

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(SetupResources, ManifestAsksForAdministratorAndDeclaresVistaAndWindows7) {
  const std::string manifest = ResourceBytes(MAKEINTRESOURCEA(24) /* RT_MANIFEST */, MANIFEST_ID);
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
  EXPECT_NE(manifest.find("{e2011457-1546-43c5-a5fe-008deee3d3f0}"), std::string::npos);
  EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);

  // Exactly one manifest: no tool-chain default beside ours.
  int count = 0;
  ::EnumResourceNamesA(nullptr, MAKEINTRESOURCEA(24), CountName, reinterpret_cast<LONG_PTR>(&count));
  EXPECT_EQ(count, 1);
}

}  // namespace
