// A night of the screensaver in minutes: the sample scene runs headless as a small preview on the
// virtual clock (every object and effect does its work per frame whatever the size, so the pixels
// are kept few), and after every turn of the slide show the program prints the memory the process
// holds, so that growth over many turns shows. Run by hand (never by ctest):
//   build/tests/scene_soak [turns]        (default 10 turns of the slide show)
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <windows.h>

#include "host/moire_screensaver.h"
#include "platform/machine/clock.h"
#include "platform/machine/machine.h"
#include "platform/win32/command_line.h"
#include "platform/win32/message_box.h"

namespace {

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

class SoakSaver : public CMoireScreensaver {
 public:
  explicit SoakSaver(int turns) : turns_(turns) {}

  HRESULT Render() override {
    const HRESULT result = CMoireScreensaver::Render();
    ++frames_;
    const int slide = CurrentSlide();
    // A turn ends when the show comes back to its first slide from a later one.
    if (slide == 0 && lastSlide_ > 0) Report();
    if (slide >= 0) lastSlide_ = slide;
    return result;
  }

 private:
  int CurrentSlide() {
    const MonitorScene& scene = m_monitorScenes[0];
    if (!scene.sceneRoot || !scene.sceneRoot->currentSlide.Get()) return -1;
    const auto& slides = scene.sceneRoot->slides;
    for (size_t i = 0; i < slides.size(); ++i)
      if (slides[i].Get() == scene.sceneRoot->currentSlide.Get()) return static_cast<int>(i);
    return -1;
  }

  void Report() {
    ++done_;
    const double minutes = static_cast<double>(machine::clock::Now()) / 60e9;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const struct mallinfo2 heap = mallinfo2();
    std::printf("turn %3d  scene %7.1f min  frames %8d  heap in use %8zu KiB  resident %7ld KiB  peak %7ld KiB  (%.0f s)\n",
                done_, minutes, frames_, heap.uordblks / 1024, ResidentKiB(), PeakResidentKiB(), seconds);
    std::fflush(stdout);
    if (done_ >= turns_) PostQuitMessage(0);
  }

  const int turns_;
  int done_ = 0;
  int frames_ = 0;
  int lastSlide_ = -1;
  const std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace

int main(int argc, char** argv) {
  const int turns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  unsetenv("DISPLAY");
  unsetenv("COPPERLEAF_FRAMES");
  // The settings of a run of its own, never the user's.
  char folder[] = "/tmp/copperleaf-soak-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  setenv("XDG_CONFIG_HOME", folder, 1);
  machine::clock::UseVirtual();
  machine::Install(machine::DefaultMachine());
  win32::SetMessageBoxHook([](const win32::MessageBoxShown& box) {
    std::fprintf(stderr, "message box: %s\n", std::string(box.text.begin(), box.text.end()).c_str());
    return IDOK;
  });
  WNDCLASSW plain = {};
  plain.lpfnWndProc = DefWindowProcW;
  plain.lpszClassName = u"DisplayProperties";
  RegisterClassW(&plain);
  const HWND parent = CreateWindowExW(0, u"DisplayProperties", u"parent", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150,
                                      nullptr, nullptr, nullptr, nullptr);
  const std::string number = std::to_string(reinterpret_cast<INT_PTR>(parent));
  SoakSaver saver(turns);
  win32::SetCommandLine(u"copperleaf.scr /p " + std::u16string(number.begin(), number.end()));
  saver.Create(nullptr);
  saver.Run();
  return 0;
}
