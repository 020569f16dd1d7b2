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
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "tests/support/xvfb_server.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// A top-level window of the program and the size of its dialog in dialog units, so that a
// control's place in the template becomes a place in the window.
struct DialogWindow {
  Window id = 0;
  int width = 0, height = 0;
  int unitsAcross = 1, unitsDown = 1;
  int X(double units) const { return static_cast<int>(std::lround(units * width / unitsAcross)); }
  int Y(double units) const { return static_cast<int>(std::lround(units * height / unitsDown)); }
};

class User {
 public:
  explicit User(Display* display) : display_(display) {}

  // Waits up to ten seconds for a top-level window with the title.
  std::optional<DialogWindow> Find(const std::string& title, int unitsAcross, int unitsDown) {
    for (auto waited = 0ms; waited < 10s; waited += 50ms) {
      if (Window found = Named(title)) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display_, found, &attributes);
        return DialogWindow{found, attributes.width, attributes.height, unitsAcross, unitsDown};
      }
      std::this_thread::sleep_for(50ms);
    }
    return std::nullopt;
  }

  bool Gone(const std::string& title) {
    for (auto waited = 0ms; waited < 10s; waited += 50ms) {
      if (Named(title) == 0) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  void Press(Window window, int x, int y) { Button(window, ButtonPress, x, y, 0); }
  void Release(Window window, int x, int y) { Button(window, ButtonRelease, x, y, Button1Mask); }
  void Click(Window window, int x, int y) {
    Press(window, x, y);
    Release(window, x, y);
  }
  void Drag(Window window, int x, int y) {
    XEvent event{};
    event.xmotion = XMotionEvent{MotionNotify, 0, True, display_, window, DefaultRootWindow(display_), 0, CurrentTime,
                                 x, y, x, y, Button1Mask, NotifyNormal, True};
    XSendEvent(display_, window, False, PointerMotionMask, &event);
    XFlush(display_);
  }
  void Key(Window window, KeySym key) {
    for (int type : {KeyPress, KeyRelease}) {
      XEvent event{};
      event.xkey = XKeyEvent{type, 0, True, display_, window, DefaultRootWindow(display_), 0, CurrentTime, 0, 0, 0, 0,
                             0, XKeysymToKeycode(display_, key), True};
      XSendEvent(display_, window, False, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
    }
    XFlush(display_);
  }

 private:
  Window Named(const std::string& title) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
      char* name = nullptr;
      XWindowAttributes attributes{};
      if (XGetWindowAttributes(display_, children[i], &attributes) && attributes.map_state == IsViewable &&
          XFetchName(display_, children[i], &name) && name != nullptr && title == name)
        found = children[i];
      if (name != nullptr) XFree(name);
    }
    if (children != nullptr) XFree(children);
    return found;
  }

  void Button(Window window, int type, int x, int y, unsigned state) {
    XEvent event{};
    event.xbutton = XButtonEvent{type, 0, True, display_, window, DefaultRootWindow(display_), 0, CurrentTime,
                                 x, y, x, y, state, Button1, True};
    XSendEvent(display_, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
    XFlush(display_);
  }

  Display* display_;
};

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
  User user(display);
  bool ended = false;
  int status = 0;
  [&] {
    // The settings dialog (236 by 196 units) carries the program's title.
    const auto settings = user.Find("Copperleaf Screensaver", 236, 196);
    ASSERT_TRUE(settings) << "no settings dialog";
    // The window shows the dialog's picture: the face below its Cancel button.
    unsigned long face = 0;
    for (auto waited = 0ms; waited < 10s && face != 0xC0C0C0; waited += 50ms) {
      if (XImage* image = XGetImage(display, settings->id, settings->X(200), settings->Y(192), 1, 1, AllPlanes, ZPixmap)) {
        face = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
      }
      if (face != 0xC0C0C0) std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(face, 0xC0C0C0u);
    // "Sound Settings..." at 128,118 (94 by 14) opens the sound dialog (124 by 134 units).
    user.Click(settings->id, settings->X(128 + 47), settings->Y(118 + 7));
    const auto sound = user.Find("Sound Settings", 124, 134);
    ASSERT_TRUE(sound) << "no sound dialog";
    // The volume trackbar at 17,18 (30 by 84): its thumb starts at the top (full volume) and is
    // dragged past the bottom (silent), then Up three times takes it three steps back.
    const int thumbX = sound->X(17 + 15);
    user.Press(sound->id, thumbX, sound->Y(18) + 8);
    user.Drag(sound->id, thumbX, sound->Y(18 + 84) + 30);
    user.Release(sound->id, thumbX, sound->Y(18 + 84) + 30);
    for (int i = 0; i < 3; ++i) user.Key(sound->id, XK_Up);
    // "Mute" at 65,20 (52 by 10), then OK at 7,113 (50 by 14).
    user.Click(sound->id, sound->X(65 + 20), sound->Y(20 + 5));
    user.Click(sound->id, sound->X(7 + 25), sound->Y(113 + 7));
    ASSERT_TRUE(user.Gone("Sound Settings"));
    // OK of the settings dialog at 125,175 (50 by 14) ends the program.
    user.Click(settings->id, settings->X(125 + 25), settings->Y(175 + 7));
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
