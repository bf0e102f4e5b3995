// quorvel.exe as Windows loads it: the icon's eight images, the version, the
// manifest's promises, and no DLL beyond those every Windows has.  The path
// is the build's own, reached through Wine's Z: drive.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const wchar_t* const kProgram = L"" QUORVEL_EXE_PATH;

#pragma pack(push, 2)
struct IconDirectoryEntry {
  BYTE width;  // 0 stands for 256
  BYTE height;
  BYTE colour_count;
  BYTE reserved;
  WORD planes;
  WORD bit_count;
  DWORD bytes;
  WORD id;
};
struct IconDirectory {
  WORD reserved;
  WORD type;
  WORD count;
  IconDirectoryEntry entries[1];
};
#pragma pack(pop)

class ProgramFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(kProgram, nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot open the program, error " << GetLastError();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  std::string Resource(LPCWSTR name, LPCWSTR type) const {
    HRSRC found = FindResourceW(module_, name, type);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module_, found);
    const char* data = static_cast<const char*>(LockResource(loaded));
    return data == nullptr ? std::string() : std::string(data, SizeofResource(module_, found));
  }

  HMODULE module_ = nullptr;
};

TEST_F(ProgramFileTest, IconHasTheEightImages) {
  const std::string group = Resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_GE(group.size(), sizeof(IconDirectory));
  const auto* directory = reinterpret_cast<const IconDirectory*>(group.data());
  ASSERT_EQ(directory->count, 8);
  ASSERT_GE(group.size(), 6 + 14 * std::size_t{directory->count});
  std::multiset<std::pair<int, int>> images;  // side, bits a pixel
  for (int i = 0; i < directory->count; ++i) {
    const IconDirectoryEntry& entry = directory->entries[i];
    images.insert({entry.width == 0 ? 256 : entry.width, entry.bit_count});
  }
  const std::multiset<std::pair<int, int>> expected = {
      {16, 32}, {24, 32}, {32, 32}, {48, 32}, {128, 32}, {256, 32}, {48, 8}, {256, 8}};
  EXPECT_EQ(images, expected);
}

TEST_F(ProgramFileTest, VersionIsOnePointEight) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(kProgram, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(kProgram, 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(8, 1));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(8, 1));
  wchar_t* text = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\080404b0\\ProductVersion",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_EQ(std::wstring(text), L"1.8");
}

TEST_F(ProgramFileTest, ManifestAsksForPerMonitorDpiAndVisualStyles) {
  const std::string manifest = Resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
  EXPECT_NE(manifest.find("true/pm"), std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
}

// The runtime is linked in: no libstdc++, libgcc or winpthread DLL is asked for.
TEST(ProgramImports, OnlySystemDlls) {
  HANDLE file = CreateFileW(kProgram, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  std::string image(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  ReadFile(file, image.data(), static_cast<DWORD>(image.size()), &read, nullptr);
  CloseHandle(file);
  ASSERT_EQ(read, image.size());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
  // A relative virtual address to its place in the file.
  auto at = [&](DWORD rva) -> const char* {
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const IMAGE_SECTION_HEADER& s = sections[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData) {
        return image.data() + s.PointerToRawData + (rva - s.VirtualAddress);
      }
    }
    return nullptr;
  };
  auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(imports.VirtualAddress));
  ASSERT_NE(entry, nullptr);
  std::vector<std::string> dlls;
  for (; entry->Name != 0; ++entry) {
    std::string name = at(entry->Name);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    dlls.push_back(name);
  }
  EXPECT_NE(std::find(dlls.begin(), dlls.end(), "kernel32.dll"), dlls.end());
  for (const std::string& dll : dlls) EXPECT_NE(dll.rfind("lib", 0), 0u) << dll;
}

}  // namespace
