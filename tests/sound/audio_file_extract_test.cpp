#include <gtest/gtest.h>
#include <shlwapi.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "slideshow/audio_file.h"
#include "tests/sound/temp_folder.h"

namespace {

using sound_test::Bytes;

DS_AudioFile Entry(const std::u16string& path, const Bytes& bytes) {
  DS_AudioFile entry;
  entry.file.name = path;
  entry.file.SetBytes(static_cast<DWORD>(bytes.size()), bytes.data());
  return entry;
}

// The entry's bytes go to the temporary folder under the last part of its stored path (split at
// either slash); the entry then names that file and holds no bytes. A name that would leave the
// folder or name the folder itself writes nothing and keeps the bytes.
TEST(ExtractToTemp, WritesUnderTheStoredFileName) {
  struct Case {
    const char16_t* stored;
    const char* written;  // null: nothing is written
  };
  const Case cases[] = {
      {u"C:\\Music\\song.mp3", "song.mp3"},
      {u"song.mp3", "song.mp3"},
      {u"D:\\mixed/dir\\tune.wav", "tune.wav"},
      {u"evil/../../../etc/passwd.mp3", "passwd.mp3"},
      {u"C:\\Music\\", nullptr},
      {u"C:\\Music\\..", nullptr},
      {u".", nullptr},
      {u"", nullptr},
  };
  const Bytes bytes = {'I', 'D', '3', 0, 1, 2, 3};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.stored, c.stored + std::char_traits<char16_t>::length(c.stored)));
    TempFolder temp;
    DS_AudioFile entry = Entry(c.stored, bytes);
    entry.ExtractToTemp();
    if (c.written) {
      EXPECT_EQ(temp.Count(), 1u);
      EXPECT_EQ(temp.Read(c.written), bytes);
      EXPECT_EQ(entry.file.name, temp.Wide(c.written));
      EXPECT_EQ(entry.file.Size(), 0u);
    } else {
      EXPECT_EQ(temp.Count(), 0u);
      EXPECT_EQ(entry.file.name, c.stored);
      EXPECT_EQ(entry.file.Size(), bytes.size());
    }
  }
}

// A stored path that exists is played from there: nothing is written and the bytes go.
TEST(ExtractToTemp, ExistingStoredPathWritesNothing) {
  TempFolder temp;
  temp.Write("there.mp3", {9, 9});
  DS_AudioFile entry = Entry(temp.Wide("there.mp3"), {1, 2, 3});
  entry.ExtractToTemp();
  EXPECT_EQ(temp.Count(), 1u);
  EXPECT_EQ(temp.Read("there.mp3"), (Bytes{9, 9}));
  EXPECT_EQ(entry.file.name, temp.Wide("there.mp3"));
  EXPECT_EQ(entry.file.Size(), 0u);

  DS_AudioFile empty = Entry(u"C:\\none.mp3", {});
  empty.ExtractToTemp();
  EXPECT_EQ(empty.file.name, u"C:\\none.mp3");
  EXPECT_EQ(temp.Count(), 1u);
}

// A file that cannot be written loses nothing: the entry keeps its path and its bytes, whether the
// run's folder cannot be made or cannot be written.
TEST(ExtractToTemp, FailedWriteKeepsTheBytes) {
  TempFolder temp;
  chmod(temp.Path().c_str(), 0500);
  DS_AudioFile locked = Entry(u"C:\\Music\\song.mp3", {1, 2, 3});
  locked.ExtractToTemp();
  chmod(temp.Path().c_str(), 0700);
  // Root writes into any folder; only where the mode holds is there a failure to see.
  if (geteuid() != 0) {
    EXPECT_EQ(locked.file.name, u"C:\\Music\\song.mp3");
    EXPECT_EQ(locked.file.Size(), 3u);
  }

  // Nowhere to make the run's folder: not the temporary folder, nor the places it falls back to.
  const std::string absent = temp.Base() + "/absent";
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
  for (const char* name : {"TMPDIR", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"}) {
    const char* old = std::getenv(name);
    saved.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    setenv(name, (absent + "/" + name).c_str(), 1);  // a cache folder is made only where its parent is
  }
  win32::ForgetRunTempFolder();
  DS_AudioFile entry = Entry(u"C:\\Music\\song.mp3", {1, 2, 3});
  entry.ExtractToTemp();
  EXPECT_EQ(entry.file.name, u"C:\\Music\\song.mp3");
  EXPECT_EQ(entry.file.Size(), 3u);
  for (const auto& [name, value] : saved) {
    if (value) setenv(name.c_str(), value->c_str(), 1);
    else unsetenv(name.c_str());
  }
}

// The bytes go into the run's own folder, never to the shared temporary folder: a user's file of
// the same name there stays as it is, and a link planted there under that name leads nowhere.
TEST(ExtractToTemp, SharedFolderFilesAndLinksAreLeftAlone) {
  TempFolder temp;
  const std::string shared = temp.Base() + "/song.mp3";
  const std::string victim = temp.Base() + "/victim";
  { std::ofstream(shared) << "mine"; }
  { std::ofstream(victim) << "precious"; }
  ASSERT_EQ(symlink(victim.c_str(), (temp.Base() + "/tune.mp3").c_str()), 0);
  DS_AudioFile song = Entry(u"C:\\Music\\song.mp3", {1, 2, 3});
  DS_AudioFile tune = Entry(u"C:\\Music\\tune.mp3", {4, 5});
  song.ExtractToTemp();
  tune.ExtractToTemp();
  EXPECT_EQ(song.file.name, temp.Wide("song.mp3"));
  EXPECT_EQ(tune.file.name, temp.Wide("tune.mp3"));
  EXPECT_EQ(temp.Read("song.mp3"), (Bytes{1, 2, 3}));
  std::string text;
  std::getline(std::ifstream(shared), text);
  EXPECT_EQ(text, "mine");
  std::getline(std::ifstream(victim), text);
  EXPECT_EQ(text, "precious");

  // Inside the run's folder too, a name taken by anything else is not written through.
  ASSERT_EQ(symlink(victim.c_str(), (temp.Path() + "/clip.mp3").c_str()), 0);
  DS_AudioFile clip = Entry(u"C:\\Music\\clip.mp3", {6});
  clip.ExtractToTemp();
  EXPECT_EQ(clip.file.name, temp.Wide("2-clip.mp3"));
  std::getline(std::ifstream(victim), text);
  EXPECT_EQ(text, "precious");
}

// Two entries with the same file name but other bytes each keep their own file; the same entry
// written again (the next monitor scene) goes to the same file.
TEST(ExtractToTemp, SameNameOtherBytesGetTheirOwnFiles) {
  TempFolder temp;
  DS_AudioFile first = Entry(u"C:\\a\\theme.mp3", {1, 1, 1});
  DS_AudioFile second = Entry(u"C:\\b\\theme.mp3", {2, 2});
  DS_AudioFile again = Entry(u"C:\\a\\theme.mp3", {1, 1, 1});
  first.ExtractToTemp();
  second.ExtractToTemp();
  again.ExtractToTemp();
  EXPECT_NE(first.file.name, second.file.name);
  EXPECT_EQ(again.file.name, first.file.name);
  EXPECT_EQ(temp.Count(), 2u);
  EXPECT_EQ(temp.Read("theme.mp3"), (Bytes{1, 1, 1}));
  const std::u16string secondName = second.file.name.substr(temp.Wide("").size());
  EXPECT_EQ(temp.Read(std::string(secondName.begin(), secondName.end())), (Bytes{2, 2}));
}

}  // namespace

namespace {

// The run's folder and the files written into it go when the process ends by its normal exit path.
// The test runs itself again as the run: the child writes an entry out, notes where, and returns.
TEST(ExtractToTemp, TheRunsFilesAndFolderGoWhenTheProcessEnds) {
  if (const char* note = std::getenv("COPPERLEAF_EXTRACT_NOTE")) {
    DS_AudioFile entry = Entry(u"C:\\Music\\song.mp3", {1, 2, 3});
    entry.ExtractToTemp();
    const std::u16string& name = entry.file.name;
    std::ofstream(note) << std::string(name.begin(), name.end()) << "\n" << (PathFileExistsW(name.c_str()) ? "there" : "missing");
    return;
  }
  char pattern[] = "/tmp/copperleaf-exit-XXXXXX";
  const std::string base = mkdtemp(pattern);
  const std::string note = base + "/note";
  const std::string filter = "--gtest_filter=ExtractToTemp.TheRunsFilesAndFolderGoWhenTheProcessEnds";
  const std::string command = "TMPDIR=" + base + " COPPERLEAF_EXTRACT_NOTE=" + note + " /proc/" +
                              std::to_string(getpid()) + "/exe " + filter + " > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(note);
  std::string written;
  std::string state;
  std::getline(in, written);
  std::getline(in, state);
  EXPECT_EQ(written.rfind(base + "/copperleaf-", 0), 0u) << written;
  EXPECT_EQ(state, "there");
  EXPECT_FALSE(std::filesystem::exists(written));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(written).parent_path()));
  std::filesystem::remove_all(base);
}

}  // namespace
