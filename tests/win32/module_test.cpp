// Libraries exist only when registered: the password library and the resource library are absent on
// a plain machine, and a registered one serves its exports and its own resources while loaded.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/machine/machine.h"
#include "platform/win32/module.h"

namespace {

INT_PTR WINAPI Answer() { return 42; }

const BYTE kPicture[] = {'P', 'N', 'G'};
const win32::Resource kLibraryResources[] = {{win32::ResourceName(u"DDS"), win32::ResourceName(WORD{20}), kPicture}};

class ModuleTest : public testing::Test {
 protected:
  void TearDown() override {
    if (library_) win32::UnregisterModule(library_);
    machine::Install(machine::DefaultMachine());
  }
  HMODULE library_ = nullptr;
};

TEST_F(ModuleTest, AnUnregisteredLibraryIsMissingAndEveryAttemptCounts) {
  for (const WCHAR* name : {u"MPR.DLL", u"vaultkit.dll"}) {
    const int before = win32::LoadLibraryCalls(name);
    EXPECT_EQ(LoadLibraryW(name), nullptr);
    EXPECT_EQ(LoadLibraryW(name), nullptr);
    EXPECT_EQ(win32::LoadLibraryCalls(name), before + 2);
    EXPECT_EQ(GetModuleHandleW(name), nullptr);
  }
  EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
  EXPECT_EQ(GetProcAddress(nullptr, "PwdChangePasswordA"), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST_F(ModuleTest, ARegisteredLibraryServesItsExportsAndResourcesWhileLoaded) {
  library_ = win32::RegisterModule(u"vaultkit.dll", {{"Answer", &Answer}}, kLibraryResources);
  // Not loaded yet: its resources are out of reach, and an absent library means the executable.
  EXPECT_EQ(FindResourceW(library_, MAKEINTRESOURCEW(20), u"DDS"), nullptr);

  HMODULE module = LoadLibraryW(u"VAULTKIT.DLL");
  ASSERT_EQ(module, library_);
  EXPECT_EQ(GetModuleHandleW(u"vaultkit.dll"), module);
  FARPROC answer = GetProcAddress(module, "Answer");
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(GetProcAddress(module, "answer"), nullptr);  // export names are exact
  HRSRC picture = FindResourceW(module, MAKEINTRESOURCEW(20), u"DDS");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(SizeofResource(module, picture), 3u);
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(20), u"DDS"), nullptr);  // not the executable's

  // Loads are counted: the library stays until the last FreeLibrary.
  EXPECT_EQ(LoadLibraryW(u"vaultkit.dll"), module);
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_NE(GetProcAddress(module, "Answer"), nullptr);
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetProcAddress(module, "Answer"), nullptr);
  EXPECT_EQ(SizeofResource(module, picture), 0u);
  EXPECT_FALSE(FreeLibrary(module));
}

TEST_F(ModuleTest, ALibraryTheMachineLacksCannotBeLoadedEvenWhenRegistered) {
  library_ = win32::RegisterModule(u"MPR.DLL", {{"PwdChangePasswordA", &Answer}});
  machine::Machine lacking = machine::DefaultMachine();
  lacking.faults.missingLibraries = {u"mpr.dll"};
  machine::Install(lacking);
  EXPECT_EQ(LoadLibraryW(u"MPR.DLL"), nullptr);
  machine::Install(machine::DefaultMachine());
  EXPECT_EQ(LoadLibraryW(u"MPR.DLL"), library_);
  FreeLibrary(library_);
}

}  // namespace
