// Speed of the software device on the embedded sample scene, run by hand: every slide plays for a
// number of frames on the virtual clock at a given size, headless and without writing frames, and
// one line per slide gives the median and 95th percentile of a frame's work (advance, render,
// present), then the process's peak memory. The scene goes round `--passes` times, so that a
// later pass shows what the slides left behind. `--checksum 1` adds a hash of each slide's last
// frame, which must not change with the thread count, the instruction set or a faster path.
// `--cpu 1` adds the process's CPU time a frame, then after each pass plays its slides again on one
// thread for their wall and CPU time there and the ratio of the two CPU times (what the threads cost
// beyond the work itself: waking, watching, work done twice), and ends with the same for the whole
// scene.
//
//   scene_bench [--size 1920x1080] [--frames 60] [--passes 2] [--threads N] [--slide N] [--isa NAME]
//               [--checksum 1] [--cpu 1]
#include <d3d9.h>
#include <sys/resource.h>
#include <time.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/doc_res_manager.h"
#include "host/monitor_scene.h"
#include "platform/d3d9/bands.h"
#include "platform/d3d9/raster_wide.h"
#include "platform/machine/clock.h"
#include "platform/machine/machine.h"
#include "document/device.h"
#include "slideshow/scene_loader.h"

namespace {

constexpr float kFrameSeconds = 1.f / 60.f;

struct Options {
  UINT width = 1920;
  UINT height = 1080;
  int frames = 60;
  int passes = 2;
  unsigned threads = 0;
  size_t slide = 0;  // 1-based; 0 for every slide
  std::string isa;   // the wide routines' instruction set (AVX3, AVX2, SSE4, ...); empty: the widest
  bool checksum = false;
  bool cpu = false;
};

bool Parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (flag == "--size") {
      if (std::sscanf(value, "%ux%u", &options.width, &options.height) != 2) return false;
    } else if (flag == "--frames") {
      options.frames = std::atoi(value);
    } else if (flag == "--passes") {
      options.passes = std::atoi(value);
    } else if (flag == "--threads") {
      options.threads = static_cast<unsigned>(std::atoi(value));
    } else if (flag == "--slide") {
      options.slide = static_cast<size_t>(std::atoi(value));
    } else if (flag == "--isa") {
      options.isa = value;
    } else if (flag == "--checksum") {
      options.checksum = std::atoi(value) != 0;
    } else if (flag == "--cpu") {
      options.cpu = std::atoi(value) != 0;
    } else {
      return false;
    }
  }
  return options.width > 0 && options.height > 0 && options.width <= 16384 && options.height <= 16384 &&
         options.frames > 0 && options.passes > 0;
}

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const auto at = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// CPU time of every thread of the process, the drawing threads' waiting included.
double ProcessCpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// Wall and CPU time of a run of frames, in milliseconds.
struct Spent {
  double wall = 0.;
  double cpu = 0.;
};

// FNV-1a over the back buffer's visible pixels, row by row (the pitch's padding is not part of it).
uint64_t BackBufferHash(IDirect3DDevice9* device) {
  uint64_t hash = 14695981039346656037ull;
  IDirect3DSurface9* surface = nullptr;
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface))) return 0;
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(surface->GetDesc(&desc)) && SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    for (UINT y = 0; y < desc.Height; ++y) {
      const auto* row = static_cast<const unsigned char*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
      for (UINT i = 0; i < desc.Width * 4; ++i) hash = (hash ^ row[i]) * 1099511628211ull;
    }
    surface->UnlockRect();
  }
  surface->Release();
  return hash;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options)) {
    std::fprintf(stderr, "usage: scene_bench [--size WxH] [--frames N] [--passes N] [--threads N] [--slide N] [--isa NAME] [--checksum 1] [--cpu 1]\n");
    return 2;
  }
  unsetenv("DISPLAY");
  d3d9::SetRenderThreads(options.threads);
  d3d9::UseWideTarget(options.isa);
  machine::clock::UseVirtual();
  machine::Machine description = machine::DefaultMachine();
  description.displays.at(0).current.width = options.width;
  description.displays.at(0).current.height = options.height;
  machine::Install(description);

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"SceneBenchWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"SceneBenchWindow", u"scene", WS_POPUP, 0, 0, static_cast<int>(options.width),
                                static_cast<int>(options.height), nullptr, nullptr, nullptr, nullptr);
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferWidth = options.width;
  p.BackBufferHeight = options.height;
  p.BackBufferFormat = D3DFMT_X8R8G8B8;
  p.BackBufferCount = 1;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.hDeviceWindow = window;
  p.Windowed = TRUE;
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D16;
  IDirect3DDevice9* device = nullptr;
  if (d3d == nullptr || FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                                 D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device))) {
    std::fprintf(stderr, "scene_bench: no device\n");
    return 1;
  }
  g_Device = device;

  {
    // The scene as the screensaver starts it, without its music.
    MonitorScene scene;
    try {
      scene.sceneRoot = LoadSceneDocument();
    } catch (DWORD code) {
      std::fprintf(stderr, "scene_bench: the scene does not load (%08x)\n", code);
      return 1;
    }
    scene.resourceManager.reset(g_DocResManager);
    DS_SlideShow_Light& show = *scene.sceneRoot;
    for (const auto& slide : show.slides)
      if (slide.Get()) slide->CreateRenderObjects();

    float time = 0.f;
    auto frame = [&] {
      scene.AdvanceFrame(time);
      scene.Render();
      device->Present(nullptr, nullptr, nullptr, nullptr);
      time += kFrameSeconds;
      machine::clock::Advance(static_cast<int64_t>(kFrameSeconds * 1e9f));
    };
    // Plays `frames` frames of the slide, held in the middle of its show time with no fade over it;
    // `work` gets each frame's wall time.
    auto play = [&](DS_SlideContainer& slide, std::vector<double>& work) {
      Spent spent;
      const double cpuBegin = ProcessCpuMilliseconds();
      for (int i = 0; i < options.frames; ++i) {
        show.startTime = time - static_cast<float>(slide.fadeIn.value);
        const auto begin = std::chrono::steady_clock::now();
        frame();
        work.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
        spent.wall += work.back();
      }
      spent.cpu = ProcessCpuMilliseconds() - cpuBegin;
      return spent;
    };
    Spent whole{};
    Spent wholeOnOne{};
    frame();  // starts the show on its first slide
    // Plays the slide at `index` after the show's own switch to it (the current slide's time made
    // over, with this slide next).
    auto playSlide = [&](size_t index, std::vector<double>& work) {
      show.nextIndex = static_cast<DWORD>(index);
      show.startTime = time - 1e6f;
      frame();
      return play(*show.slides[index].Get(), work);
    };
    for (int pass = 1; pass <= options.passes; ++pass) {
      std::printf("pass %d, %ux%u, %d frames a slide\n", pass, options.width, options.height, options.frames);
      std::vector<size_t> played;
      std::vector<Spent> spentOn;
      for (size_t index = 0; index < show.slides.size(); ++index) {
        DS_SlideContainer* slide = show.slides[index].Get();
        if (slide == nullptr || (options.slide != 0 && options.slide != index + 1)) continue;
        std::vector<double> work;
        const Spent spent = playSlide(index, work);
        played.push_back(index);
        spentOn.push_back(spent);
        std::printf("slide %zu %s: median %.2f ms, p95 %.2f ms", index + 1, Narrow(slide->name.value).c_str(),
                    Percentile(work, 0.5), Percentile(work, 0.95));
        if (options.checksum) std::printf(", frame %016llx", static_cast<unsigned long long>(BackBufferHash(device)));
        if (options.cpu) std::printf(", cpu %.2f ms", spent.cpu / options.frames);
        std::printf("\n");
        std::fflush(stdout);
      }
      if (!options.cpu) continue;
      // The pass again on one thread, after the whole pass: drawing threads that slept through a
      // replay of a slide on one thread wake slower for a while, which would slow the slides after it.
      d3d9::SetRenderThreads(1);
      for (size_t i = 0; i < played.size(); ++i) {
        std::vector<double> work;
        const Spent onOne = playSlide(played[i], work);
        const Spent& spent = spentOn[i];
        std::printf("slide %zu %s: cpu %.2f ms; 1 thread: wall %.2f ms, cpu %.2f ms; cpu ratio %.2f\n", played[i] + 1,
                    Narrow(show.slides[played[i]]->name.value).c_str(), spent.cpu / options.frames,
                    onOne.wall / options.frames, onOne.cpu / options.frames, spent.cpu / onOne.cpu);
        std::fflush(stdout);
        whole.wall += spent.wall;
        whole.cpu += spent.cpu;
        wholeOnOne.wall += onOne.wall;
        wholeOnOne.cpu += onOne.cpu;
      }
      d3d9::SetRenderThreads(options.threads);
    }
    if (options.cpu) {
      std::printf("scene: wall %.0f ms, cpu %.0f ms; 1 thread: wall %.0f ms, cpu %.0f ms; cpu ratio %.2f\n", whole.wall,
                  whole.cpu, wholeOnOne.wall, wholeOnOne.cpu, whole.cpu / wholeOnOne.cpu);
    }
  }
  std::printf("peak memory %.0f MB\n", PeakMegabytes());
  g_Device = nullptr;
  device->Release();
  d3d->Release();
  DestroyWindow(window);
  return 0;
}
