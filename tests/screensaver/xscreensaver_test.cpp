// The real xscreensaver daemon, on an Xvfb of the test's own, runs the program as one of its
// screen savers: activated, the program draws on the screen; deactivated, it is gone.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/xvfb_server.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

constexpr const char* kDaemon = "/usr/bin/xscreensaver";
constexpr const char* kCommand = "/usr/bin/xscreensaver-command";
constexpr const char* kSetpriv = "/usr/bin/setpriv";
// The daemon refuses to run programs as root; as root the test runs it as this user.
constexpr uid_t kUnprivileged = 65534;
// Bounds for waits, so that a broken program cannot hang the suite.
constexpr double kWait = 90;

pid_t Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
            const std::string& output) {
  std::vector<std::string> texts = arguments;
  std::vector<char*> argv;
  for (auto& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables = environment;
  std::vector<char*> envp;
  for (auto& text : variables) envp.push_back(text.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = 0;
  const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return started ? pid : 0;
}

// Waits for the earliest of the condition and the bound; true when the condition held.
template <class Condition>
bool WaitFor(Condition condition, double seconds = kWait) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return condition();
}

// Whether every user may run the file: it and each folder above it open to others.
bool OthersCanRun(const std::filesystem::path& file) {
  struct stat status{};
  if (stat(file.c_str(), &status) != 0 || (status.st_mode & (S_IROTH | S_IXOTH)) != (S_IROTH | S_IXOTH)) return false;
  for (std::filesystem::path folder = file.parent_path(); !folder.empty(); folder = folder.parent_path()) {
    if (stat(folder.c_str(), &status) != 0 || !(status.st_mode & S_IXOTH)) return false;
    if (folder == folder.root_path()) break;
  }
  return true;
}

// The processes running `program` as `user`.
std::vector<pid_t> ProgramProcesses(const std::filesystem::path& program, uid_t user) {
  std::vector<pid_t> found;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    struct stat owner{};
    if (stat(entry.path().c_str(), &owner) != 0 || owner.st_uid != user) continue;
    std::error_code unreadable;
    if (std::filesystem::read_symlink(entry.path() / "exe", unreadable) == program) found.push_back(std::stoi(name));
  }
  return found;
}

class XscreensaverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kDaemon, X_OK) != 0 || access(kCommand, X_OK) != 0) {
      GTEST_SKIP() << "xscreensaver is not installed (tools/setup.sh installs it)";
    }
    if (getuid() == 0 && access(kSetpriv, X_OK) != 0) GTEST_SKIP() << "setpriv is needed to leave root";
    server_ = std::make_unique<XvfbServer>("1024x768x24");
    if (server_->display().empty()) GTEST_SKIP() << "Xvfb is not available";
    user_ = getuid() == 0 ? kUnprivileged : getuid();
    char pattern[] = "/tmp/copperleaf-xscreensaver-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    home_ = pattern;
    // A build the daemon's user cannot reach runs from a copy in that user's home, with the
    // resource library beside it.
    program_ = std::filesystem::canonical(COPPERLEAF_PROGRAM);
    if (user_ != getuid() && !OthersCanRun(program_)) {
      std::filesystem::create_directory(home_ + "/bin");
      for (const char* file : {"copperleaf", "vaultkit.dll"}) {
        std::error_code absent;
        std::filesystem::copy_file(program_.parent_path() / file, home_ + "/bin/" + file, absent);
      }
      program_ = home_ + "/bin/copperleaf";
    }
    // The daemon's user keeps its settings, the program's settings and its run files here.
    std::ofstream settings(home_ + "/.xscreensaver");
    settings << "mode: one\nselected: 0\nlock: False\ntimeout: 0:30:00\nfade: False\nunfade: False\n"
                "splash: False\ndpmsEnabled: False\nprograms: "
             << program_.string() << " --root \\n\n";
    settings.close();
    for (const char* folder : {"/config", "/run", "/tmp"}) std::filesystem::create_directory(home_ + folder);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home_)) {
      ASSERT_EQ(chown(entry.path().c_str(), user_, user_), 0);
    }
    ASSERT_EQ(chown(home_.c_str(), user_, user_), 0);
    chmod(home_.c_str(), 0700);
    log_ = home_ + "/daemon.log";
  }

  void TearDown() override {
    if (daemon_ > 0) {
      Command("-exit");
      if (!WaitFor([&] { return waitpid(daemon_, nullptr, WNOHANG) == daemon_; }, 10)) {
        kill(daemon_, SIGKILL);
        waitpid(daemon_, nullptr, 0);
      }
    }
    for (pid_t left : ProgramProcesses(program_, user_)) kill(left, SIGKILL);
    std::error_code ignored;
    if (!home_.empty()) std::filesystem::remove_all(home_, ignored);
    server_.reset();
  }

  std::vector<std::string> Environment() const {
    return {"DISPLAY=" + server_->display(), "HOME=" + home_, "XDG_CONFIG_HOME=" + home_ + "/config",
            "XDG_RUNTIME_DIR=" + home_ + "/run", "TMPDIR=" + home_ + "/tmp", "PATH=/usr/bin:/bin"};
  }

  bool StartDaemon() {
    std::vector<std::string> arguments{kDaemon, "-no-splash", "-verbose"};
    if (getuid() == 0) {
      const std::string id = std::to_string(user_);
      arguments.insert(arguments.begin(),
                       {kSetpriv, "--reuid=" + id, "--regid=" + id, "--clear-groups", "--"});
    }
    daemon_ = Spawn(arguments, Environment(), log_);
    return daemon_ > 0;
  }

  bool Command(const char* what) {
    const pid_t pid = Spawn({kCommand, what}, {"DISPLAY=" + server_->display()}, log_);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  bool ScreenShowsSomething(::Display* viewer) {
    XImage* image = XGetImage(viewer, DefaultRootWindow(viewer), 0, 0, 1024, 768, AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    bool drawn = false;
    for (int y = 0; y < 768 && !drawn; y += 8) {
      for (int x = 0; x < 1024 && !drawn; x += 8) drawn = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    }
    XDestroyImage(image);
    return drawn;
  }

  std::string Log() const {
    std::ifstream file(log_);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  std::unique_ptr<XvfbServer> server_;
  uid_t user_ = 0;
  std::string home_;
  std::filesystem::path program_;
  std::string log_;
  pid_t daemon_ = 0;
};

TEST_F(XscreensaverTest, DaemonRunsTheProgramWhileActiveAndEndsItOnDeactivation) {
  ASSERT_TRUE(StartDaemon());
  ASSERT_TRUE(WaitFor([&] { return Command("-time"); })) << Log();
  ::Display* viewer = XOpenDisplay(server_->display().c_str());
  ASSERT_NE(viewer, nullptr);
  EXPECT_FALSE(ScreenShowsSomething(viewer));
  ASSERT_TRUE(Command("-activate")) << Log();
  ASSERT_TRUE(WaitFor([&] { return !ProgramProcesses(program_, user_).empty(); }))
      << "the daemon never started it\n" << Log();

  // The daemon blanks the screen black; only the program puts anything else there.
  EXPECT_TRUE(WaitFor([&] { return ScreenShowsSomething(viewer); })) << Log();
  XCloseDisplay(viewer);
  EXPECT_EQ(ProgramProcesses(program_, user_).size(), 1u);

  ASSERT_TRUE(Command("-deactivate")) << Log();
  EXPECT_TRUE(WaitFor([&] { return ProgramProcesses(program_, user_).empty(); }, 20))
      << "still running\n" << Log();
}

}  // namespace
