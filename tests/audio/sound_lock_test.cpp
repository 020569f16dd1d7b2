// The sound lock outside a desktop session: it lives in a folder of the user's own in the temporary
// folder, made private; what someone else planted at that place, or under the lock's name, is never
// followed or used, and the lock says that it cannot be had there (rather than that another process
// holds it, which would keep the run waiting, silent, for good).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/audio/sound_lock.h"

namespace {

// A temporary folder of the test's own as $TMPDIR, outside any desktop session.
class SoundLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/copperleaf-lock-XXXXXX";
    temp_ = mkdtemp(pattern);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr) runtime_ = runtime;
    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", temp_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("TMPDIR");
    if (!runtime_.empty()) setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(temp_, ignored);
  }
  // Where the lock's folder goes: $TMPDIR/copperleaf-<uid>.
  std::string Private() const { return temp_ + "/copperleaf-" + std::to_string(getuid()); }
  // A folder beside it that someone else would want the lock to go to.
  std::string Elsewhere() const { return temp_ + "/elsewhere"; }

  std::string temp_;
  std::string runtime_;
};

TEST_F(SoundLockTest, MakesItsPrivateFolderAndHasOneHolder) {
  auto first = std::make_unique<audio::SoundLock>();
  ASSERT_TRUE(first->Held()) << first->Unusable();
  EXPECT_EQ(audio::SoundLock::Path(), Private() + "/copperleaf-sound.lock");
  struct stat status {};
  ASSERT_EQ(lstat(Private().c_str(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  EXPECT_EQ(status.st_uid, getuid());
  const audio::SoundLock second;
  EXPECT_FALSE(second.Held());
  EXPECT_EQ(second.Unusable(), "") << "another holder is no fault of the place";
  first.reset();
  EXPECT_TRUE(audio::SoundLock().Held());
}

TEST_F(SoundLockTest, WhatIsPlantedAtItsPlaceIsNeitherFollowedNorUsed) {
  struct Case {
    const char* planted;
    // At the private folder's place, with a folder elsewhere at hand; false when this machine cannot.
    std::function<bool(const std::string& place, const std::string& elsewhere)> plant;
    std::string said;  // the place the lock names, after the test's folder
  };
  const std::string own = "/copperleaf-" + std::to_string(getuid());
  const Case cases[] = {
      {"a link to a private folder elsewhere",
       [](const std::string& place, const std::string& elsewhere) {
         return mkdir(elsewhere.c_str(), 0700) == 0 && symlink(elsewhere.c_str(), place.c_str()) == 0;
       },
       own},
      {"a folder open to others",
       [](const std::string& place, const std::string&) { return mkdir(place.c_str(), 0700) == 0 && chmod(place.c_str(), 0755) == 0; },
       own},
      // Only the superuser can give a folder away; elsewhere the case is left out.
      {"a folder of another user's",
       [](const std::string& place, const std::string&) {
         return mkdir(place.c_str(), 0700) == 0 && chown(place.c_str(), getuid() + 1, getgid()) == 0;
       },
       own},
      {"a file in the folder's place",
       [](const std::string& place, const std::string&) { return std::ofstream(place).good(); },
       own},
      {"a link under the lock's name",
       [](const std::string& place, const std::string& elsewhere) {
         return mkdir(place.c_str(), 0700) == 0 && mkdir(elsewhere.c_str(), 0700) == 0 &&
                symlink((elsewhere + "/lock").c_str(), (place + "/copperleaf-sound.lock").c_str()) == 0;
       },
       own + "/copperleaf-sound.lock"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.planted);
    std::filesystem::remove_all(Private());
    std::filesystem::remove_all(Elsewhere());
    if (!c.plant(Private(), Elsewhere())) {
      std::printf("left out, this machine cannot plant %s\n", c.planted);
      continue;
    }
    const audio::SoundLock lock;
    EXPECT_FALSE(lock.Held());
    EXPECT_EQ(lock.Unusable().rfind(temp_ + c.said + " ", 0), 0u) << lock.Unusable();
    EXPECT_FALSE(std::filesystem::exists(Elsewhere() + "/copperleaf-sound.lock")) << "followed the link";
    EXPECT_FALSE(std::filesystem::exists(Elsewhere() + "/lock")) << "followed the link";
    if (std::filesystem::is_directory(std::filesystem::symlink_status(Private()))) {
      EXPECT_FALSE(std::filesystem::is_regular_file(std::filesystem::symlink_status(Private() + "/copperleaf-sound.lock")))
          << "made a lock in a place that is not private";
    }
  }
}

}  // namespace
