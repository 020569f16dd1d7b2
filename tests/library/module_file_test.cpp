// Loading a library file: only a plain name in the executable's folder, matched without case; a
// damaged file fails cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>
#include <windows.h>

#include "platform/win32/module_file.h"

namespace {

namespace fs = std::filesystem;

TEST(ModuleFileTest, APlainNameFromTheExecutablesFolderLoadsWhateverItsCase) {
  for (const char16_t* name : {u"vaultkit.dll", u"VaultKit.DLL"}) {
    auto table = win32::LoadModuleFile(name);
    ASSERT_TRUE(table);
    EXPECT_FALSE(table->empty());
  }
}

TEST(ModuleFileTest, NamesThatLeaveTheFolderOrAreNotPlainAreRefused) {
  const fs::path folder = win32::ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  const std::u16string there = u"../library/vaultkit.dll";
  for (const std::u16string& name : std::vector<std::u16string>{
           u"", u".", u"..", there, u"./vaultkit.dll", u"..\\library\\vaultkit.dll", u"C:vaultkit.dll",
           u"/vaultkit.dll", u"vaultkit.dll\u00e9", u"missing.dll"}) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    EXPECT_FALSE(win32::LoadModuleFile(folder, name));
    EXPECT_EQ(LoadLibraryW(name.c_str()), nullptr);
  }
}

TEST(ModuleFileTest, ADamagedFileFailsCleanly) {
  const fs::path folder = fs::temp_directory_path() / ("copperleaf_module_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::vector<char> library;
  {
    std::ifstream in(win32::ExecutableFolder() / "vaultkit.dll", std::ios::binary);
    library.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  ASSERT_GT(library.size(), 4096u);
  const std::vector<std::pair<const char*, std::vector<char>>> files = {
      {"empty.dll", {}},
      {"text.dll", {'M', 'Z', 'n', 'o', 't', ' ', 'a', ' ', 'l', 'i', 'b'}},
      {"truncated.dll", std::vector<char>(library.begin(), library.begin() + 4096)},
      {"short_end.dll", std::vector<char>(library.begin(), library.end() - 16)},
      {"half.dll", std::vector<char>(library.begin(), library.begin() + library.size() / 2)},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    std::ofstream(folder / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_FALSE(win32::LoadModuleFile(folder, std::u16string(name, name + std::strlen(name))));
  }
  fs::remove_all(folder);
}

}  // namespace
