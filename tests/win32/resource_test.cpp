// Resources of a module: found by integer or string names and types, loaded as read-only bytes, and
// strings read from their blocks as LoadStringW reads them on Windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "platform/win32/module.h"

namespace {

// A string block as the resource compiler writes it: 16 entries of a length and UTF-16 units.
std::vector<BYTE> StringBlock(std::vector<std::u16string> texts) {
  texts.resize(16);
  std::vector<BYTE> out;
  for (const auto& text : texts) {
    out.push_back(static_cast<BYTE>(text.size()));
    out.push_back(static_cast<BYTE>(text.size() >> 8));
    for (char16_t c : text) {
      out.push_back(static_cast<BYTE>(c));
      out.push_back(static_cast<BYTE>(c >> 8));
    }
  }
  return out;
}

// Installs a table of its own on the executable's module and puts the previous one back.
class ResourceTest : public testing::Test {
 protected:
  void SetUp() override {
    // Strings 0 to 15 are block 1 (id 4 is "Hello, world"); block 2 is cut short after its first length.
    block_ = StringBlock({u"zero", u"", u"", u"", u"Hello, world"});
    shortBlock_ = {5, 0, 'a', 0};
    table_ = {
        {win32::ResourceName(u"DDS"), win32::ResourceName(WORD{5}), picture_},
        {win32::ResourceName(WORD{10}), win32::ResourceName(WORD{5}), effect_},
        {win32::ResourceName(u"DDS"), win32::ResourceName(u"Splash"), effect_},
        {win32::ResourceName(u"DDS"), win32::ResourceName(WORD{6}), {}},
        {win32::ResourceName(WORD{6}), win32::ResourceName(WORD{1}), block_},
        {win32::ResourceName(WORD{6}), win32::ResourceName(WORD{2}), shortBlock_},
        {win32::ResourceName(WORD{14}), win32::ResourceName(WORD{101}), picture_},
    };
    previous_ = win32::SetModuleResources(nullptr, table_);
  }
  void TearDown() override { win32::SetModuleResources(nullptr, previous_); }

  const BYTE picture_[4] = {0x89, 'P', 'N', 'G'};
  const BYTE effect_[2] = {'f', 'x'};
  std::vector<BYTE> block_;
  std::vector<BYTE> shortBlock_;
  std::vector<win32::Resource> table_;
  win32::ResourceTable previous_;
};

TEST_F(ResourceTest, FindsByIdOrNameWithTheTypeTellingEntriesApart) {
  struct Case {
    const char* what;
    LPCWSTR name;
    LPCWSTR type;
    const BYTE* data;
  };
  const Case cases[] = {
      {"custom type", MAKEINTRESOURCEW(5), u"DDS", picture_},
      {"type in another case", MAKEINTRESOURCEW(5), u"dds", picture_},
      {"same id, standard type", MAKEINTRESOURCEW(5), RT_RCDATA, effect_},
      {"string name in another case", u"SPLASH", u"DDS", effect_},
      {"absent id", MAKEINTRESOURCEW(107), u"DDS", nullptr},
      {"id 0 is a null name", MAKEINTRESOURCEW(0), u"DDS", nullptr},
      {"a name is not an id", u"5", u"DDS", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HRSRC found = FindResourceW(nullptr, c.name, c.type);
    if (!c.data) {
      EXPECT_EQ(found, nullptr);
      continue;
    }
    ASSERT_NE(found, nullptr);
    const DWORD size = SizeofResource(nullptr, found);
    const void* bytes = LockResource(LoadResource(nullptr, found));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(size, c.data == picture_ ? 4u : 2u);
    EXPECT_EQ(std::memcmp(bytes, c.data, size), 0);
  }
}

TEST_F(ResourceTest, EmptyResourcesLoadAndForeignHandlesAreRefused) {
  HRSRC empty = FindResourceW(nullptr, MAKEINTRESOURCEW(6), u"DDS");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, empty), 0u);
  EXPECT_NE(LoadResource(nullptr, empty), nullptr);

  int notAResource = 0;
  HRSRC bogus = reinterpret_cast<HRSRC>(&notAResource);
  EXPECT_EQ(SizeofResource(nullptr, bogus), 0u);
  EXPECT_EQ(LoadResource(nullptr, bogus), nullptr);
  EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
  EXPECT_EQ(FindResourceW(reinterpret_cast<HMODULE>(&notAResource), MAKEINTRESOURCEW(5), u"DDS"), nullptr);
}

TEST_F(ResourceTest, LoadStringCopiesTruncatesAndTerminates) {
  struct Case {
    const char* what;
    UINT id;
    int capacity;
    int result;
    std::u16string text;
  };
  const Case cases[] = {
      {"whole string", 4, 200, 12, u"Hello, world"},
      {"exact fit", 4, 13, 12, u"Hello, world"},
      {"truncated", 4, 6, 5, u"Hello"},
      {"room for the NUL only", 4, 1, 0, u""},
      {"first of a block", 0, 200, 4, u"zero"},
      {"empty entry", 1, 200, 0, u""},
      {"absent block", 2100, 200, 0, u""},
      {"block cut short", 16, 200, 0, u""},
      {"id beyond 16 bits", 0x10004, 200, 0, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WCHAR buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(LoadStringW(nullptr, c.id, buffer, c.capacity), c.result);
    EXPECT_EQ(std::u16string(buffer), c.text);
    EXPECT_EQ(buffer[c.capacity], u'#');  // nothing written past the capacity
  }
}

TEST_F(ResourceTest, LoadStringWithoutCapacityHandsOutTheResourceText) {
  const WCHAR* text = nullptr;
  ASSERT_EQ(LoadStringW(nullptr, 4, reinterpret_cast<LPWSTR>(&text), 0), 12);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, 12), u"Hello, world");
}

TEST_F(ResourceTest, IconsAndTheArrowCursorHaveHandles) {
  HMODULE self = GetModuleHandleW(nullptr);
  EXPECT_NE(LoadIconW(self, MAKEINTRESOURCEW(101)), nullptr);
  EXPECT_EQ(LoadIconW(self, MAKEINTRESOURCEW(102)), nullptr);
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(101)), nullptr);
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  EXPECT_NE(arrow, nullptr);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow);
}

}  // namespace
