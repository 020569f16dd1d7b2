// The resource compiler on small scripts: what it makes is read back through the stand-in's own
// FindResourceW and LoadStringW, and every fault stops it with the line where it lies.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "platform/win32/resource_table.h"
#include "tools/rc/command.h"
#include "tools/rc/script.h"

namespace {

namespace fs = std::filesystem;

class RcTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/copperleaf-rc-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    if (installed_) win32::SetModuleResources(nullptr, previous_);
    fs::remove_all(folder_);
  }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }

  // Compiles the script and makes its resources the executable's table for the rest of the test.
  void Install(const std::string& script) {
    compiled_ = rc::CompileScript(script, folder_);
    table_.clear();
    for (const auto& r : compiled_.resources) {
      auto key = [](const rc::Key& k) {
        return k.id ? win32::ResourceName(WORD{k.id}) : win32::ResourceName(std::u16string_view(k.text));
      };
      table_.push_back({key(r.type), key(r.name), r.data});
    }
    auto previous = win32::SetModuleResources(nullptr, table_);
    if (!installed_) previous_ = previous;
    installed_ = true;
  }

  static std::u16string String(UINT id) {
    WCHAR buffer[512];
    int n = LoadStringW(nullptr, id, buffer, 512);
    return std::u16string(buffer, n);
  }

  static std::string Bytes(LPCWSTR name, LPCWSTR type) {
    HRSRC found = FindResourceW(nullptr, name, type);
    if (!found) return "<absent>";
    auto* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    return std::string(data, SizeofResource(nullptr, found));
  }

  fs::path folder_;
  rc::Compilation compiled_;
  std::vector<win32::Resource> table_;
  win32::ResourceTable previous_;
  bool installed_ = false;
};

TEST_F(RcTest, StringTablesReadBackExactly) {
  Install(
      "// settings texts\n"
      "STRINGTABLE\n"
      "BEGIN\n"
      "  1000 \"Copperleaf Screensaver\"\n"
      "  2101, \"Two  spaces.\"\n"
      "  17 \"say \"\"hi\"\"\"  /* quotes doubled */\n"
      "  18 L\"tab\\there\\\\\"\n"
      "END\n"
      "STRINGTABLE { 2112 \"\xC3\xA9t\\x00e9\" 0 \"zero\" }\n");
  EXPECT_EQ(String(1000), u"Copperleaf Screensaver");
  EXPECT_EQ(String(2101), u"Two  spaces.");
  EXPECT_EQ(String(17), u"say \"hi\"");
  EXPECT_EQ(String(18), u"tab\there\\");
  EXPECT_EQ(String(2112), u"\u00e9t\u00e9");
  EXPECT_EQ(String(0), u"zero");
  EXPECT_EQ(String(1001), u"");
}

TEST_F(RcTest, FilesOfCustomTypesAndIconsBecomeResources) {
  Write("loading.png", std::string("\x89PNG\0data", 9));
  Write("fx.bin", "effect");
  // An icon file of two images: a 16 x 16 and a 32 x 32 one, 3 and 2 bytes long.
  std::string ico("\0\0\1\0\2\0", 6);
  ico += std::string("\x10\x10\0\0\1\0\x20\0\3\0\0\0\x26\0\0\0", 16);
  ico += std::string("\x20\x20\0\0\1\0\x20\0\2\0\0\0\x29\0\0\0", 16);
  ico += "abcde";
  Write("app.ico", ico);
  Install(
      "5 DDS \"loading.png\"\n"
      "Splash dds \"loading.png\"\n"
      "63 RCDATA \"fx.bin\"\n"
      "300 77 \"fx.bin\"\n"
      "101 ICON \"app.ico\"\n");

  EXPECT_EQ(Bytes(MAKEINTRESOURCEW(5), u"DDS"), std::string("\x89PNG\0data", 9));
  EXPECT_EQ(Bytes(u"splash", u"DDS"), std::string("\x89PNG\0data", 9));
  EXPECT_EQ(Bytes(MAKEINTRESOURCEW(63), RT_RCDATA), "effect");
  EXPECT_EQ(Bytes(MAKEINTRESOURCEW(63), u"DDS"), "<absent>");
  EXPECT_EQ(Bytes(MAKEINTRESOURCEW(300), MAKEINTRESOURCEW(77)), "effect");
  EXPECT_EQ(Bytes(MAKEINTRESOURCEW(1), RT_ICON), "abc");
  EXPECT_EQ(Bytes(MAKEINTRESOURCEW(2), RT_ICON), "de");
  // The group lists both images with their sizes and the ids of their RT_ICON resources.
  std::string group("\0\0\1\0\2\0", 6);
  group += std::string("\x10\x10\0\0\1\0\x20\0\3\0\0\0\1\0", 14);
  group += std::string("\x20\x20\0\0\1\0\x20\0\2\0\0\0\2\0", 14);
  EXPECT_EQ(Bytes(MAKEINTRESOURCEW(101), RT_GROUP_ICON), group);
  EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101)), nullptr);
  EXPECT_EQ(compiled_.files.size(), 5u);
}

TEST_F(RcTest, FaultsStopTheCompilerAtTheirLine) {
  Write("bad.ico", "not an icon");
  struct Case {
    const char* script;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"", 1, "defines no resources"},
      {"// only a comment\nSTRINGTABLE BEGIN END\n", 3, "defines no resources"},
      {"STRINGTABLE\nBEGIN\n  1 \"open\n END\n", 3, "closing quote"},
      {"STRINGTABLE\nBEGIN\n  1 \"a\"\n  1 \"b\"\nEND\n", 4, "defined twice"},
      {"STRINGTABLE\nBEGIN\n  1 \"a\"\n", 4, "without its END"},
      {"STRINGTABLE BEGIN\n 70000 \"a\" END", 2, "string id"},
      {"STRINGTABLE BEGIN 1 \"\\q\" END", 1, "unknown escape"},
      {"STRINGTABLE BEGIN 1 \"\xFF\" END", 1, "not UTF-8"},
      {"\n\n5 DDS \"missing.png\"\n", 3, "cannot read the file"},
      {"0 DDS \"bad.ico\"\n", 1, "from 1 to 65535"},
      {"5 DDS \"bad.ico\"\n5 dds \"bad.ico\"\n", 2, "defined twice"},
      {"\n101 ICON\n  \"bad.ico\"\n", 3, "not an icon file"},
      {"#include <windows.h>\n", 1, "preprocessor"},
      {"5 DDS loading.png\n", 1, "file name in quotes"},
      {"/* never closed\n\n", 1, "closing */"},
      {"5 DDS \"bad.ico\" ;\n", 1, "unexpected character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    try {
      rc::CompileScript(c.script, folder_);
      ADD_FAILURE() << "compiled";
    } catch (const rc::CompileError& e) {
      EXPECT_EQ(e.line(), c.line);
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST_F(RcTest, ABadScriptFailsTheBuildAndLeavesNoTableBehind) {
  Write("good.rc", "STRINGTABLE BEGIN 1 \"one\" END\n5 DDS \"data.bin\"\n");
  Write("data.bin", "x");
  const fs::path output = folder_ / "out.cpp";
  const fs::path depfile = folder_ / "out.cpp.d";
  std::ostringstream errors;
  ASSERT_EQ(rc::RunCompiler(folder_ / "good.rc", output, depfile, errors), 0) << errors.str();
  ASSERT_TRUE(fs::exists(output));
  std::ifstream deps(depfile);
  std::string rule((std::istreambuf_iterator<char>(deps)), std::istreambuf_iterator<char>());
  EXPECT_NE(rule.find((folder_ / "data.bin").string()), std::string::npos);

  Write("bad.rc", "STRINGTABLE\nBEGIN\n  1 one\nEND\n");
  EXPECT_EQ(rc::RunCompiler(folder_ / "bad.rc", output, depfile, errors), 1);
  EXPECT_NE(errors.str().find("bad.rc:3: error: "), std::string::npos) << errors.str();
  EXPECT_FALSE(fs::exists(output));
}

TEST_F(RcTest, FilesBesideTheScriptComeBeforeThoseOfTheBuildsFolders) {
  const fs::path built = folder_ / "built";
  fs::create_directory(built);
  Write("both.bin", "script");
  Write("built/both.bin", "build");
  Write("built/painted.bin", "painted");
  const rc::Compilation compiled = rc::CompileScript("1 DDS \"both.bin\"\n2 DDS \"painted.bin\"\n", folder_, {built});
  ASSERT_EQ(compiled.resources.size(), 2u);
  EXPECT_EQ(std::string(compiled.resources[0].data.begin(), compiled.resources[0].data.end()), "script");
  EXPECT_EQ(std::string(compiled.resources[1].data.begin(), compiled.resources[1].data.end()), "painted");
  EXPECT_EQ(compiled.files[1], built / "painted.bin");
}

}  // namespace
