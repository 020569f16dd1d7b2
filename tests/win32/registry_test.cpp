// The registry as the screensaver's settings use it: kept across runs in its file, keys created on a
// read but saved only with a value, values returned byte for byte, a damaged or strange file kept
// aside instead of lost, writers in several processes at once losing nothing, and a stalled writer
// holding up a start by one bounded wait.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "platform/win32/registry.h"
#include "platform/win32/registry_lock.h"
#include "platform/win32/termination.h"

namespace {

namespace fs = std::filesystem;

constexpr const WCHAR* kSettings = u"Software\\Quillmoor\\Vistacraft Maker\\Screensaver\\";

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old) savedConfig_ = old;
    char pattern[] = "/tmp/copperleaf-registry-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    home_ = pattern;
    setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
    win32::RestartRegistry();
  }
  void TearDown() override {
    win32::RestartRegistry();
    if (savedConfig_) {
      setenv("XDG_CONFIG_HOME", savedConfig_->c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    fs::remove_all(home_);
  }

  fs::path File() const { return home_ / "copperleaf" / "registry.json"; }

  static HKEY Create(HKEY root, const WCHAR* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition), ERROR_SUCCESS);
    return key;
  }

  static void SetDword(HKEY key, const WCHAR* name, DWORD value) {
    EXPECT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_SUCCESS);
  }

  fs::path home_;
  std::optional<std::string> savedConfig_;
};

TEST_F(RegistryTest, ValuesSurviveARestartByteForByte) {
  HKEY key = Create(HKEY_CURRENT_USER, kSettings);
  SetDword(key, u"\"SoundVolume\"", 70);
  const BYTE id[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  ASSERT_EQ(RegSetValueExW(key, u"Adapter ID", 0, REG_BINARY, id, 16), ERROR_SUCCESS);
  const WCHAR text[] = u"no terminator";  // stored without its NUL
  ASSERT_EQ(RegSetValueExW(key, u"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 26), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_TRUE(fs::exists(File()));
  EXPECT_EQ(win32::RegistryFile(), File());

  win32::RestartRegistry();
  // Another case and no trailing backslash name the same key.
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\quillmoor\\Vistacraft Maker\\Screensaver", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD type = 0, volume = 0, size = 4;
  ASSERT_EQ(RegQueryValueExW(key, u"\"SoundVolume\"", nullptr, &type, reinterpret_cast<BYTE*>(&volume), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD{REG_DWORD});
  EXPECT_EQ(volume, 70u);
  // The quotes belong to the name.
  size = 4;
  EXPECT_EQ(RegQueryValueExW(key, u"SoundVolume", nullptr, nullptr, reinterpret_cast<BYTE*>(&volume), &size),
            ERROR_FILE_NOT_FOUND);

  BYTE readId[16] = {};
  size = 16;
  ASSERT_EQ(RegQueryValueExW(key, u"Adapter ID", nullptr, &type, readId, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD{REG_BINARY});
  EXPECT_EQ(std::vector<BYTE>(readId, readId + 16), std::vector<BYTE>(id, id + 16));

  WCHAR readText[20];
  std::fill(std::begin(readText), std::end(readText), u'#');
  size = sizeof readText;
  ASSERT_EQ(RegQueryValueExW(key, u"Text", nullptr, &type, reinterpret_cast<BYTE*>(readText), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD{REG_SZ});
  EXPECT_EQ(size, 26u);  // no NUL added
  EXPECT_EQ(std::u16string(readText, 14), u"no terminator#");
  RegCloseKey(key);
}

// The settings are read through keys made on the read, as on Windows; such a key is saved with its
// first value, so reading alone never writes the file.
TEST_F(RegistryTest, CreatingAKeyToReadItWritesNothingUntilAValueIsSet) {
  HKEY settings = Create(HKEY_CURRENT_USER, kSettings);
  DWORD disposition = 0;
  HKEY screen = Create(settings, u"Screen 1", &disposition);
  EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
  DWORD value = 7, size = 4;
  EXPECT_EQ(RegQueryValueExW(screen, u"Width", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(value, 7u);
  EXPECT_FALSE(fs::exists(File()));
  EXPECT_FALSE(fs::exists(File().string() + ".lock")) << "a read took the writers' lock";

  SetDword(screen, u"Width", 640);
  RegCloseKey(screen);
  RegCloseKey(settings);

  win32::RestartRegistry();
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Quillmoor\\Vistacraft Maker\\Screensaver\\screen 1", 0,
                          KEY_READ, &key),
            ERROR_SUCCESS);
  size = 4;
  EXPECT_EQ(RegQueryValueExW(key, u"Width", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 640u);
  RegCloseKey(key);
  Create(HKEY_CURRENT_USER, u"Software\\Quillmoor\\Vistacraft Maker\\Screensaver\\Screen 1", &disposition);
  EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});

  key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Nobody", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryTest, QueryLeavesTheBufferAloneUnlessTheWholeValueFits) {
  HKEY key = Create(HKEY_CURRENT_USER, kSettings);
  const BYTE id[16] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
  ASSERT_EQ(RegSetValueExW(key, u"Adapter ID", 0, REG_BINARY, id, 16), ERROR_SUCCESS);

  struct Case {
    const char* what;
    const WCHAR* name;
    bool buffer;
    DWORD size;
    LSTATUS result;
    DWORD sizeAfter;
    bool filled;
  };
  const Case cases[] = {
      {"absent value", u"Width", true, 4, ERROR_FILE_NOT_FOUND, 4, false},
      {"4-byte read of a 16-byte value", u"Adapter ID", true, 4, ERROR_MORE_DATA, 16, false},
      {"size only", u"Adapter ID", false, 0, ERROR_SUCCESS, 16, false},
      {"larger buffer", u"Adapter ID", true, 20, ERROR_SUCCESS, 16, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BYTE buffer[20];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    DWORD size = c.size;
    DWORD type = 0xDEAD;
    EXPECT_EQ(RegQueryValueExW(key, c.name, nullptr, &type, c.buffer ? buffer : nullptr, &size), c.result);
    EXPECT_EQ(size, c.sizeAfter);
    EXPECT_EQ(type, c.result == ERROR_FILE_NOT_FOUND ? 0xDEADu : DWORD{REG_BINARY});
    EXPECT_EQ(buffer[0], c.filled ? 9 : 0xEE);
    EXPECT_EQ(buffer[16], 0xEE);
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, HandlesAndRightsAnswerAsOnWindows) {
  // The browser command lives under the classes root; it is read through a key opened for reading.
  HKEY command = Create(HKEY_CLASSES_ROOT, u"http\\shell\\open\\command");
  const WCHAR browser[] = u"browser \"%1\"";
  ASSERT_EQ(RegSetValueExW(command, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(browser), sizeof browser),
            ERROR_SUCCESS);
  RegCloseKey(command);

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"HTTP\\shell\\open\\command", 0, KEY_READ, &key), ERROR_SUCCESS);
  WCHAR read[260] = {};
  DWORD size = sizeof read;
  ASSERT_EQ(RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(read), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(read), browser);
  DWORD one = 1;
  EXPECT_EQ(RegSetValueExW(key, u"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  // The classes root and the user's keys are separate trees.
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"http", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, AnotherProcessWritingTheFileIsSeen) {
  HKEY key = Create(HKEY_CURRENT_USER, kSettings);
  SetDword(key, u"\"PicPos\"", 1);
  const std::string first = ReadText(File());
  SetDword(key, u"\"PicPos\"", 0);
  // What another process's atomic write looks like: a new file renamed over the old one.
  WriteText(home_ / "other", first);
  fs::rename(home_ / "other", File());
  DWORD value = 9, size = 4;
  ASSERT_EQ(RegQueryValueExW(key, u"\"PicPos\"", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, AWriteThatCannotBeSavedIsRefusedAndNotKept) {
  // The configuration folder is a plain file, so nothing can be written below it.
  WriteText(home_ / "blocked", "");
  setenv("XDG_CONFIG_HOME", (home_ / "blocked").c_str(), 1);
  win32::RestartRegistry();
  HKEY key = Create(HKEY_CURRENT_USER, kSettings);  // nothing to save yet
  testing::internal::CaptureStderr();
  const DWORD value = 1;
  EXPECT_EQ(RegSetValueExW(key, u"Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
            ERROR_ACCESS_DENIED);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("registry"), std::string::npos);
  RegCloseKey(key);
  key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ADamagedFileIsKeptAsideAndTheRegistryStartsEmpty) {
  const std::string cases[] = {
      "{ \"HKEY_CURRENT_USER\": ",
      "",
      "[1, 2]",
      R"({"HKEY_LOCAL_MACHINE": {}})",
      R"({"HKEY_CURRENT_USER": {"values": {"x": {"type": 4, "data": "zz"}}}})",
      R"({"HKEY_CURRENT_USER": {"values": {"x": {"type": -1, "data": ""}}}})",
      R"({"HKEY_CURRENT_USER": {"keys": {"Software": {}, "SOFTWARE": {}}}})",
      R"({"HKEY_CURRENT_USER": {"keys": {"a\\b": {}}}})",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    WriteText(File(), text);
    win32::RestartRegistry();
    testing::internal::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("corrupt-1"), std::string::npos);
    EXPECT_EQ(ReadText(File().string() + ".corrupt-1"), text);
    EXPECT_FALSE(fs::exists(File()));
    fs::remove(File().string() + ".corrupt-1");
  }

  // A second damaged file does not replace the first one kept aside; a new registry is written anew.
  WriteText(File(), "first");
  win32::RestartRegistry();
  testing::internal::CaptureStderr();
  HKEY key = Create(HKEY_CURRENT_USER, kSettings);
  RegCloseKey(key);
  WriteText(File(), "second");
  win32::RestartRegistry();
  SetDword(Create(HKEY_CURRENT_USER, u"Software"), u"Value", 1);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(ReadText(File().string() + ".corrupt-1"), "first");
  EXPECT_EQ(ReadText(File().string() + ".corrupt-2"), "second");
  EXPECT_NE(ReadText(File()).find("Software"), std::string::npos);
}

// A registry file that is no regular file, or too large for settings, would block the start (a FIFO),
// read for ever (/dev/zero) or fail in the middle: it is set aside unread and the run goes on.
TEST_F(RegistryTest, AFileThatIsNoSettingsFileIsSetAsideUnread) {
  const struct {
    const char* what;
    void (*make)(const fs::path& file);
  } cases[] = {
      {"directory", [](const fs::path& file) { fs::create_directories(file / "inside"); }},
      {"FIFO", [](const fs::path& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }},
      {"link to /dev/zero", [](const fs::path& file) { fs::create_symlink("/dev/zero", file); }},
      {"file larger than any settings", [](const fs::path& file) {
         std::ofstream out(file, std::ios::binary);
         out << R"({"HKEY_CURRENT_USER": {"values": {"x": {"type": 3, "data": ")";
         out << std::string(16 << 20, '0') << R"("}}}})";
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::create_directories(File().parent_path());
    c.make(File());
    win32::RestartRegistry();
    testing::internal::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("corrupt-1"), std::string::npos) << message;
    const fs::path aside = File().string() + ".corrupt-1";
    EXPECT_TRUE(fs::exists(fs::symlink_status(aside)));
    // The run goes on and saves its settings in a new file.
    key = Create(HKEY_CURRENT_USER, kSettings);
    SetDword(key, u"\"PicPos\"", 1);
    RegCloseKey(key);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(File())));
    fs::remove_all(aside);
    fs::remove(File());
  }
}

// The next start would set a file too large aside with every setting in it, so a change that makes
// it so is refused and the settings saved before stay.
TEST_F(RegistryTest, AValueThatWouldMakeTheFileTooLargeIsRefused) {
  HKEY key = Create(HKEY_CURRENT_USER, kSettings);
  SetDword(key, u"\"PicPos\"", 1);
  const std::vector<BYTE> huge(8 << 20, 0xAB);
  testing::internal::CaptureStderr();
  EXPECT_NE(RegSetValueExW(key, u"Huge", 0, REG_BINARY, huge.data(), DWORD(huge.size())), ERROR_SUCCESS);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("registry"), std::string::npos);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"Huge", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  win32::RestartRegistry();
  key = Create(HKEY_CURRENT_USER, kSettings);
  DWORD value = 0;
  size = 4;
  EXPECT_EQ(RegQueryValueExW(key, u"\"PicPos\"", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);
  RegCloseKey(key);
}

// Two programs saving at once (the settings dialog and a running saver, say): every value either
// one reported as saved is in the file afterwards.
TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNoValue) {
  constexpr int kWriters = 2;
  constexpr int kValues = 100;
  SetDword(Create(HKEY_CURRENT_USER, kSettings), u"Before", 0);
  pid_t writers[kWriters];
  for (int w = 0; w < kWriters; ++w) {
    writers[w] = fork();
    ASSERT_GE(writers[w], 0);
    if (writers[w] == 0) {
      win32::RestartRegistry();
      HKEY key = nullptr;
      int failed = RegOpenKeyExW(HKEY_CURRENT_USER, kSettings, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS;
      for (int i = 0; i < kValues && !failed; ++i) {
        const std::string name = "writer " + std::to_string(w) + " value " + std::to_string(i);
        const std::u16string wide(name.begin(), name.end());
        const DWORD value = DWORD(i);
        failed |= RegSetValueExW(key, wide.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4) !=
                  ERROR_SUCCESS;
      }
      _exit(failed);
    }
  }
  for (pid_t writer : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer's change was refused";
  }
  win32::RestartRegistry();
  HKEY key = Create(HKEY_CURRENT_USER, kSettings);
  int found = 0;
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kValues; ++i) {
      const std::string name = "writer " + std::to_string(w) + " value " + std::to_string(i);
      const std::u16string wide(name.begin(), name.end());
      DWORD value = 0xFFFF, size = 4;
      if (RegQueryValueExW(key, wide.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
              ERROR_SUCCESS &&
          value == DWORD(i))
        ++found;
    }
  }
  EXPECT_EQ(found, kWriters * kValues);
  RegCloseKey(key);
}

// Another program holding the lock and stopped there (SIGSTOP) refuses this start's changes: the
// first after one bounded wait, the others at once; a request to end cuts the wait short.
TEST_F(RegistryTest, AStalledLockHolderCostsOneBoundedWaitAndACloseRequestEndsIt) {
  using Clock = std::chrono::steady_clock;
  fs::create_directories(File().parent_path());
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const int lock = ::open((File().string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) _exit(1);
    // Stopped for good, lock held, until the test kills it: a hang-up or continue sent to the
    // test's process group (one that becomes orphaned with a stopped member gets both) must not
    // let the lock go while the test relies on it.
    signal(SIGHUP, SIG_IGN);
    for (;;) raise(SIGSTOP);
  }
  int status = 0;
  ASSERT_EQ(waitpid(holder, &status, WUNTRACED), holder);
  ASSERT_TRUE(WIFSTOPPED(status));

  HKEY key = Create(HKEY_CURRENT_USER, kSettings);
  const DWORD value = 1;
  const auto set = [&](const WCHAR* name) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
  };
  const auto first = Clock::now();
  EXPECT_EQ(set(u"First"), ERROR_ACCESS_DENIED);
  const auto second = Clock::now();
  EXPECT_GE(second - first, win32::registry::FileLock::kLongestWait);
  for (const WCHAR* name : {u"Second", u"Third", u"Fourth"}) EXPECT_EQ(set(name), ERROR_ACCESS_DENIED);
  EXPECT_LT(Clock::now() - second, win32::registry::FileLock::kLongestWait / 2) << "each change waited again";
  RegCloseKey(key);

  // The next start waits again, until it is asked to end.
  win32::RestartRegistry();
  key = Create(HKEY_CURRENT_USER, kSettings);
  std::thread closer([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    win32::RequestTermination();
  });
  const auto asked = Clock::now();
  EXPECT_EQ(set(u"Fifth"), ERROR_ACCESS_DENIED);
  EXPECT_LT(Clock::now() - asked, win32::registry::FileLock::kLongestWait / 2) << "the close request did not end the wait";
  closer.join();
  win32::detail::ForgetTerminationRequest();
  RegCloseKey(key);

  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  win32::RestartRegistry();
  EXPECT_FALSE(fs::exists(File())) << "a refused change was saved";
}

// A program killed while saving leaves its temporary file behind; the next one to use the registry
// removes it, unless a save may be under way (its lock is held).
TEST_F(RegistryTest, TemporaryFilesOfKilledWritersAreRemoved) {
  const fs::path stale[] = {File().string() + ".tmp-4194303", File().string() + ".tmp-1"};
  const fs::path kept = File().string() + ".tmp-notes";
  auto makeTemporaries = [&] {
    for (const fs::path& file : stale) WriteText(file, "{\"HKEY_CURRENT_USER\": ");
    WriteText(kept, "mine");
  };
  makeTemporaries();
  const int lock = ::open((File().string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  win32::RestartRegistry();
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  for (const fs::path& file : stale) EXPECT_TRUE(fs::exists(file)) << file << " while a save may be under way";
  ASSERT_EQ(flock(lock, LOCK_UN), 0);
  ::close(lock);

  // Reading at the start removes them, and so does every save.
  win32::RestartRegistry();
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  for (const fs::path& file : stale) EXPECT_FALSE(fs::exists(file)) << file;
  makeTemporaries();
  key = Create(HKEY_CURRENT_USER, kSettings);
  SetDword(key, u"Saved", 1);
  RegCloseKey(key);
  for (const fs::path& file : stale) EXPECT_FALSE(fs::exists(file)) << file;
  EXPECT_EQ(ReadText(kept), "mine");
}

}  // namespace
