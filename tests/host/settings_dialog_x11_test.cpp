// The settings dialog as a user works it on an X server: "copperleaf /c" runs as its own process on
// an Xvfb of the test's own, and the test clicks, drags and types into its windows with synthetic
// X events, then reads what reached the registry file.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "tests/support/x11_user.h"
#include "tests/support/xvfb_server.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// A DWORD value of the registry file, found by name anywhere under HKEY_CURRENT_USER.
std::optional<uint32_t> StoredDword(const nlohmann::json& key, const std::string& name) {
  if (!key.is_object()) return std::nullopt;
  if (key.contains("values") && key["values"].contains(name)) {
    const std::string hex = key["values"][name].value("data", "");
    if (hex.size() != 8) return std::nullopt;
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint32_t>(std::stoul(hex.substr(i * 2, 2), nullptr, 16));
    return value;
  }
  if (key.contains("keys"))
    for (const auto& [subName, sub] : key["keys"].items())
      if (auto found = StoredDword(sub, name)) return found;
  return std::nullopt;
}

TEST(SettingsDialogOnX11, VolumeAndMuteSetByMouseAndKeysReachTheRegistryOnOk) {
  XvfbServer server("1024x768x24");
  if (server.display().empty()) GTEST_SKIP() << "Xvfb is not available";
  const std::filesystem::path config = std::filesystem::temp_directory_path() /
                                       ("copperleaf-x11-dialog-" + std::to_string(getpid()));
  std::filesystem::remove_all(config);
  std::filesystem::create_directories(config);

  const std::string displayVariable = "DISPLAY=" + server.display();
  const std::string configVariable = "XDG_CONFIG_HOME=" + config.string();
  std::vector<char*> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (text.rfind("DISPLAY=", 0) != 0 && text.rfind("XDG_CONFIG_HOME=", 0) != 0 && text.rfind("COPPERLEAF_", 0) != 0)
      environment.push_back(*entry);
  }
  environment.push_back(const_cast<char*>(displayVariable.c_str()));
  environment.push_back(const_cast<char*>(configVariable.c_str()));
  environment.push_back(nullptr);
  const char* argv[] = {COPPERLEAF_EXECUTABLE, "/c", nullptr};
  pid_t program = 0;
  ASSERT_EQ(posix_spawn(&program, COPPERLEAF_EXECUTABLE, nullptr, nullptr, const_cast<char**>(argv), environment.data()), 0);

  Display* display = XOpenDisplay(server.display().c_str());
  ASSERT_NE(display, nullptr);
  X11User user(display);
  bool ended = false;
  int status = 0;
  [&] {
    // The settings dialog (236 by 196 units) carries the program's title.
    constexpr DialogUnits kSettings{236, 196}, kSound{124, 134};
    const auto settings = user.Find("Copperleaf Screensaver");
    ASSERT_TRUE(settings) << "no settings dialog";
    // The window shows the dialog's picture: the face below its Cancel button.
    EXPECT_EQ(user.PixelOnceItIs(settings->id, kSettings.X(*settings, 200), kSettings.Y(*settings, 192), 0xC0C0C0),
              0xC0C0C0u);
    // "Sound Settings..." at 128,118 (94 by 14) opens the sound dialog (124 by 134 units).
    user.Click(settings->id, kSettings.X(*settings, 128 + 47), kSettings.Y(*settings, 118 + 7));
    const auto sound = user.Find("Sound Settings");
    ASSERT_TRUE(sound) << "no sound dialog";
    // The volume trackbar at 17,18 (30 by 84): its thumb starts at the top (full volume) and is
    // dragged past the bottom (silent), then Up three times takes it three steps back.
    const int thumbX = kSound.X(*sound, 17 + 15);
    user.Press(sound->id, thumbX, kSound.Y(*sound, 18) + 8);
    user.Drag(sound->id, thumbX, kSound.Y(*sound, 18 + 84) + 30);
    user.Release(sound->id, thumbX, kSound.Y(*sound, 18 + 84) + 30);
    for (int i = 0; i < 3; ++i) user.Key(sound->id, XK_Up);
    // "Mute" at 65,20 (52 by 10), then OK at 7,113 (50 by 14).
    user.Click(sound->id, kSound.X(*sound, 65 + 20), kSound.Y(*sound, 20 + 5));
    user.Click(sound->id, kSound.X(*sound, 7 + 25), kSound.Y(*sound, 113 + 7));
    ASSERT_TRUE(user.Gone("Sound Settings"));
    // OK of the settings dialog at 125,175 (50 by 14) ends the program.
    user.Click(settings->id, kSettings.X(*settings, 125 + 25), kSettings.Y(*settings, 175 + 7));
    for (auto waited = 0ms; waited < 10s && !ended; waited += 50ms) {
      ended = waitpid(program, &status, WNOHANG) == program;
      if (!ended) std::this_thread::sleep_for(50ms);
    }
  }();
  XCloseDisplay(display);
  if (!ended) {
    kill(program, SIGKILL);
    waitpid(program, &status, 0);
  }
  ASSERT_TRUE(ended) << "the program did not end on OK";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  std::ifstream file(config / "copperleaf" / "registry.json");
  ASSERT_TRUE(file.good());
  const nlohmann::json registry = nlohmann::json::parse(file, nullptr, false);
  ASSERT_FALSE(registry.is_discarded());
  const nlohmann::json& user_key = registry["HKEY_CURRENT_USER"];
  EXPECT_EQ(StoredDword(user_key, "\"SoundVolume\""), 3u);
  EXPECT_EQ(StoredDword(user_key, "\"MuteSound\""), 1u);
  // No balance was stored, so OK keeps the centre the dialog starts from.
  EXPECT_EQ(StoredDword(user_key, "\"SoundBalance\""), 50u);
  std::filesystem::remove_all(config);
}

}  // namespace
