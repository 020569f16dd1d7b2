#include "tests/screensaver/saver_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

SaverProcess::SaverProcess() {
  char pattern[] = "/tmp/copperleaf-saver-XXXXXX";
  if (mkdtemp(pattern) != nullptr) folder_ = pattern;
  std::filesystem::create_directories(folder_ + "/config");
  std::filesystem::create_directories(folder_ + "/tmp");
  // A desktop session's runtime folder, where the sound lock and the sound server's client files
  // live; the temporary folder then holds only what the run itself makes.
  std::filesystem::create_directories(folder_ + "/run");
  std::filesystem::permissions(folder_ + "/run", std::filesystem::perms::owner_all);
}

SaverProcess::~SaverProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

bool SaverProcess::Start(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  variables["XDG_CONFIG_HOME"] = folder_ + "/config";
  variables["TMPDIR"] = folder_ + "/tmp";
  variables["XDG_RUNTIME_DIR"] = folder_ + "/run";
  variables.erase("COPPERLEAF_MACHINE");
  variables.erase("COPPERLEAF_FRAMES");
  variables.erase("XSCREENSAVER_WINDOW");
  for (const auto& [name, value] : environment) {
    if (value.empty()) {
      variables.erase(name);
    } else {
      variables[name] = value;
    }
  }
  std::vector<std::string> texts;
  for (const auto& [name, value] : variables) texts.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& text : texts) envp.push_back(text.data());
  envp.push_back(nullptr);
  std::vector<std::string> argumentTexts{COPPERLEAF_PROGRAM};
  argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& text : argumentTexts) argv.push_back(text.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string errors = folder_ + "/stderr.txt";
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const std::string output = folder_ + "/stdout.txt";
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const bool started = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!started) pid_ = 0;
  return started;
}

bool SaverProcess::WaitForExit(double seconds, int* status) {
  if (pid_ <= 0) return false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (waitpid(pid_, status, WNOHANG) == pid_) {
      pid_ = 0;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

namespace {

std::string FileText(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

std::string SaverProcess::ErrorOutput() const { return FileText(folder_ + "/stderr.txt"); }

std::string SaverProcess::StandardOutput() const { return FileText(folder_ + "/stdout.txt"); }

std::vector<std::string> SaverProcess::TemporaryFiles() const {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder_ + "/tmp", ignored)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

double ExpectCleanEnd(SaverProcess& saver, const std::function<void()>& end) {
  // Only a bound against a program that never ends; how fast it ends is measured by hand.
  constexpr double kExitWait = 20;
  const auto start = std::chrono::steady_clock::now();
  end();
  int status = 0;
  EXPECT_TRUE(saver.WaitForExit(kExitWait, &status)) << "still running";
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::vector<std::string> left = saver.TemporaryFiles();
  EXPECT_TRUE(left.empty()) << "left behind: " << (left.empty() ? "" : left.front());
  // A run that changed no setting wrote none (reading them writes nothing); what is there is whole.
  std::ifstream registry(saver.folder() + "/config/copperleaf/registry.json");
  if (registry.good()) {
    const nlohmann::json settings = nlohmann::json::parse(registry, nullptr, false);
    EXPECT_TRUE(settings.is_object()) << "the settings file is no longer a document";
  }
  const std::string errors = saver.ErrorOutput();
  EXPECT_EQ(errors.find("problem"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("ERROR"), std::string::npos) << errors;
  std::printf("ended %.3f s after it was asked to\n", seconds);
  return seconds;
}
