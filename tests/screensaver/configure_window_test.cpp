// Configure mode on an Xvfb of the test's own, worked as a user works it: message boxes are windows
// that wait for their button, the catalogue button runs the desktop's opener, and a signal ends
// every open dialog and the program with it.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/screensaver/saver_process.h"
#include "tests/support/x11_user.h"
#include "tests/support/xvfb_server.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

using namespace std::chrono_literals;

constexpr const char* kTitle = "Copperleaf Screensaver";
// Bounds for waits only, so that a broken program cannot hang the suite.
constexpr double kWait = 60;

constexpr DialogUnits kSettingsUnits{236, 196};
constexpr DialogUnits kDisplayUnits{287, 196};

// The rows of the window's upper part (above its buttons) that hold dark text.
int TextRows(const ShownWindow& window, const std::vector<uint32_t>& pixels, int bottom) {
  int rows = 0;
  for (int y = 0; y < bottom && y < window.height; ++y) {
    bool dark = false;
    for (int x = 0; x < window.width && !dark; ++x) dark = (pixels[static_cast<size_t>(y) * window.width + x] & 0xFF) < 0x40;
    rows += dark;
  }
  return rows;
}

class ConfigureWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<XvfbServer>("1024x768x24"); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    if (server_->display().empty()) GTEST_SKIP() << "Xvfb is not available";
    viewer_ = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(viewer_, nullptr);
    user_ = std::make_unique<X11User>(viewer_);
  }
  void TearDown() override {
    user_.reset();
    if (viewer_ != nullptr) XCloseDisplay(viewer_);
  }

  bool Start(std::map<std::string, std::string> environment = {}) {
    environment["DISPLAY"] = server_->display();
    return saver_.Start({"/c"}, environment);
  }

  bool Running() {
    int status = 0;
    return !saver_.WaitForExit(0, &status);
  }

  std::optional<ShownWindow> Settings() { return user_->Find(kTitle, kWait); }

  static inline std::unique_ptr<XvfbServer> server_;
  ::Display* viewer_ = nullptr;
  std::unique_ptr<X11User> user_;
  SaverProcess saver_;
};

TEST_F(ConfigureWindowTest, WithoutDirect3DTheMessageShowsInAWindowUntilOkIsPressed) {
  const std::string machine = saver_.folder() + "/machine.json";
  std::ofstream(machine) << R"({"faults": {"direct3dMissing": true}})";
  ASSERT_TRUE(Start({{"COPPERLEAF_MACHINE", machine}}));
  const auto box = user_->Find(kTitle, kWait);
  ASSERT_TRUE(box) << saver_.ErrorOutput();
  const std::vector<uint32_t> pixels = user_->Pixels(*box);
  ASSERT_FALSE(pixels.empty());
  // The message is two lines or more, wrapped within a box narrower than the screen.
  EXPECT_LT(box->width, 700);
  EXPECT_GE(TextRows(*box, pixels, box->height / 2), 16);
  // The box waits for its button.
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(Running()) << "the program went on without the box being answered";
  user_->Key(box->id, XK_Return);
  int status = 0;
  ASSERT_TRUE(saver_.WaitForExit(kWait, &status)) << "Enter did not press OK";
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_NE(saver_.ErrorOutput().find("Direct3D 8.0 could not be initialized."), std::string::npos);
}

TEST_F(ConfigureWindowTest, HelpShowsItsTextInAWindowOverTheDisplaySettings) {
  ASSERT_TRUE(Start());
  const auto settings = Settings();
  ASSERT_TRUE(settings) << saver_.ErrorOutput();
  // "Display Settings..." at 14,118 (94 by 14), then "Help" of dialog 200 at 230,12 (50 by 14).
  user_->Click(settings->id, kSettingsUnits.X(*settings, 14 + 47), kSettingsUnits.Y(*settings, 118 + 7));
  const auto display = user_->Find("Display Settings", kWait);
  ASSERT_TRUE(display);
  user_->Click(display->id, kDisplayUnits.X(*display, 230 + 25), kDisplayUnits.Y(*display, 12 + 7));
  const auto help = user_->Find("Copperleaf Software Adapter", kWait);
  ASSERT_TRUE(help) << "no help box";
  const std::vector<uint32_t> pixels = user_->Pixels(*help);
  ASSERT_FALSE(pixels.empty());
  EXPECT_GE(TextRows(*help, pixels, help->height / 2), 8);
  // The display settings take no clicks while the box is open over them: Cancel does nothing.
  user_->Click(display->id, kDisplayUnits.X(*display, 230 + 25), kDisplayUnits.Y(*display, 175 + 7));
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(user_->Find("Display Settings", 0));
  // Esc ends a box that has only OK.
  user_->Key(help->id, XK_Escape);
  EXPECT_TRUE(user_->Gone("Copperleaf Software Adapter"));
  EXPECT_TRUE(user_->Find("Display Settings", 0));
  ExpectCleanEnd(saver_, [&] { kill(saver_.pid(), SIGTERM); });
}

TEST_F(ConfigureWindowTest, TheCatalogueButtonRunsTheDesktopsOpenerWithTheAddress) {
  // A stand-in for the desktop's opener, first on the path: it writes down what it was given.
  const std::string bin = saver_.folder() + "/bin";
  const std::string given = saver_.folder() + "/opened.txt";
  std::filesystem::create_directories(bin);
  std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > " << given << ".part\nmv " << given
                                   << ".part " << given << "\n";
  std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
  const char* path = std::getenv("PATH");
  ASSERT_TRUE(Start({{"PATH", bin + ":" + (path != nullptr ? path : "/usr/bin:/bin")}}));
  const auto settings = Settings();
  ASSERT_TRUE(settings) << saver_.ErrorOutput();
  // "Get More Screensavers" at 7,175 (100 by 14).
  user_->Click(settings->id, kSettingsUnits.X(*settings, 7 + 50), kSettingsUnits.Y(*settings, 175 + 7));
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(kWait);
  while (!std::filesystem::exists(given) && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(20ms);
  std::ifstream file(given);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(text.str(), "1\nhttp://www.quillmoor.example/Vistacraft.php\n");
  // The opener ended and was collected: the program has no child left, dead or alive.
  const std::string children = "/proc/" + std::to_string(saver_.pid()) + "/task/" + std::to_string(saver_.pid()) +
                               "/children";
  std::string left = "?";
  for (auto waited = 0ms; waited < 10s && !left.empty(); waited += 20ms) {
    std::ifstream list(children);
    std::getline(list, left);
    if (!left.empty()) std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(left, "") << "children of the program: " << left;
  EXPECT_TRUE(Running());
  ExpectCleanEnd(saver_, [&] { kill(saver_.pid(), SIGTERM); });
}

// A signal while a dialog is open over the settings dialog ends both, the nested one first, and the
// program with them; the settings already stored are kept.
TEST_F(ConfigureWindowTest, SigtermWithTheSoundDialogOpenEndsTheProgram) {
  const std::string stored = saver_.folder() + "/config/copperleaf/registry.json";
  std::filesystem::create_directories(saver_.folder() + "/config/copperleaf");
  nlohmann::json registry;
  nlohmann::json& key = registry["HKEY_CURRENT_USER"]["keys"]["Software"]["keys"]["Quillmoor"]["keys"]
                                     ["Vistacraft Maker"]["keys"]["Screensaver"];
  key["values"]["\"SoundVolume\""] = {{"type", 4}, {"data", "2a000000"}};
  std::ofstream(stored) << registry.dump();
  ASSERT_TRUE(Start());
  const auto settings = Settings();
  ASSERT_TRUE(settings) << saver_.ErrorOutput();
  // "Sound Settings..." at 128,118 (94 by 14).
  user_->Click(settings->id, kSettingsUnits.X(*settings, 128 + 47), kSettingsUnits.Y(*settings, 118 + 7));
  ASSERT_TRUE(user_->Find("Sound Settings", kWait));
  const double seconds = ExpectCleanEnd(saver_, [&] { kill(saver_.pid(), SIGTERM); });
  EXPECT_TRUE(user_->Gone(kTitle));
  std::ifstream file(stored);
  const nlohmann::json after = nlohmann::json::parse(file, nullptr, false);
  ASSERT_TRUE(after.is_object());
  EXPECT_EQ(after["HKEY_CURRENT_USER"]["keys"]["Software"]["keys"]["Quillmoor"]["keys"]["Vistacraft Maker"]["keys"]
                 ["Screensaver"]["values"]["\"SoundVolume\""]["data"],
            "2a000000");
  RecordProperty("seconds", std::to_string(seconds));
}

}  // namespace
