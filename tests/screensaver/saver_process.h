// The built program run as a screen-saver manager runs it: its own process, an environment made
// for the case, fresh settings, temporary and run folders, its output and error output kept in files.
#pragma once
#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

class SaverProcess {
 public:
  SaverProcess();
  ~SaverProcess();  // a program still running is killed
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;

  // Starts the program with these arguments; `environment` entries replace or add variables (an
  // empty value removes one).
  bool Start(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment);

  // Waits at most `seconds` for the program to end; true when it ended, with its wait status.
  bool WaitForExit(double seconds, int* status);

  pid_t pid() const { return pid_; }
  // XDG_CONFIG_HOME, TMPDIR and XDG_RUNTIME_DIR live below.
  const std::string& folder() const { return folder_; }
  std::string ErrorOutput() const;
  std::string StandardOutput() const;
  // The entries of the program's temporary folder.
  std::vector<std::string> TemporaryFiles() const;

 private:
  pid_t pid_ = 0;
  std::string folder_;
};

// Ends the program by `end` (a signal, the loss of its window) and checks that it exited normally
// within a bound, said nothing of a failure, left its settings readable and its temporary folder
// empty; prints and gives the seconds it took.
double ExpectCleanEnd(SaverProcess& saver, const std::function<void()>& end);
