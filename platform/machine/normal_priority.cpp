#include "platform/machine/normal_priority.h"

#include <pthread.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace machine {
namespace {

struct Launcher {
  std::mutex mutex;
  std::condition_variable changed;
  bool running = false;
  const std::function<void()>* work = nullptr;  // handed over, not yet done
  bool done = false;

  void Serve() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return work != nullptr; });
      (*work)();
      work = nullptr;
      done = true;
      changed.notify_all();
    }
  }
};

Launcher& Get() {
  // Never destroyed: its thread serves for the whole process.
  static Launcher* launcher = new Launcher;
  return *launcher;
}

}  // namespace

void KeepNormalPriority() {
  Launcher& launcher = Get();
  std::lock_guard lock(launcher.mutex);
  if (launcher.running) return;
  launcher.running = true;
  std::thread([&launcher] {
    pthread_setname_np(pthread_self(), kNormalPriorityThreadName);
    launcher.Serve();
  }).detach();
}

void AtNormalPriority(const std::function<void()>& work) {
  Launcher& launcher = Get();
  std::unique_lock lock(launcher.mutex);
  if (!launcher.running) {
    lock.unlock();
    work();
    return;
  }
  // One piece of work at a time: a second caller waits for the first to be done.
  launcher.changed.wait(lock, [&] { return launcher.work == nullptr; });
  launcher.work = &work;
  launcher.done = false;
  launcher.changed.notify_all();
  launcher.changed.wait(lock, [&] { return launcher.done && launcher.work == nullptr; });
}

}  // namespace machine
