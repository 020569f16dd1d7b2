// Speed of the software device on the full-target quads the layers draw: bilinear filtering with
// alpha blending (alone, as a frame of six passes, and through the general pixel stage for
// comparison), a plain point-sampled copy and an additive bilinear pass, in megapixels per second;
// then a clear and present of the whole back buffer. `--threads=N` draws on N threads (default: every
// core); `--isa=NAME` runs the wide row routines on one instruction set (AVX3, AVX2, SSE4, ...).
#include <benchmark/benchmark.h>
#include <d3d9.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "platform/d3d9/bands.h"
#include "platform/d3d9/raster_span.h"
#include "platform/d3d9/raster_wide.h"
#include "platform/machine/machine.h"

namespace {

struct Vertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};

enum class Look { kFade, kCopy, kAdditive };

class Scene {
 public:
  Scene(UINT width, UINT height, Look look) : width_(width), height_(height) {
    machine::Machine description = machine::DefaultMachine();
    description.displays.at(0).current.width = width;
    description.displays.at(0).current.height = height;
    machine::Install(description);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"D3D9BenchWindow";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, u"D3D9BenchWindow", u"bench", WS_POPUP, 0, 0, static_cast<int>(width),
                              static_cast<int>(height), nullptr, nullptr, nullptr, nullptr);
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = width;
    p.BackBufferHeight = height;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = window_;
    p.Windowed = TRUE;
    if (d3d_ == nullptr || FAILED(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_,
                                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device_))) {
      return;
    }
    // A 512 x 512 picture, stretched over the target so that it is magnified and filtered.
    device_->CreateTexture(512, 512, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_, nullptr);
    D3DLOCKED_RECT locked{};
    texture_->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < 512; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch);
      for (UINT x = 0; x < 512; ++x) row[x] = 0xff000000u | (x * 0x1f3u + y * 0x2b7u) * 0x10101u;
    }
    texture_->UnlockRect(0);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const Vertex quad[4] = {{0, 0, 0, 1, 0xc0ffffff, 0, 0},
                            {w, 0, 0, 1, 0xc0ffffff, 1, 0},
                            {0, h, 0, 1, 0xc0ffffff, 0, 1},
                            {w, h, 0, 1, 0xc0ffffff, 1, 1}};
    device_->CreateVertexBuffer(sizeof quad, D3DUSAGE_WRITEONLY, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                D3DPOOL_MANAGED, &buffer_, nullptr);
    void* data = nullptr;
    buffer_->Lock(0, 0, &data, 0);
    std::memcpy(data, quad, sizeof quad);
    buffer_->Unlock();

    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    const DWORD filter = look == Look::kCopy ? D3DTEXF_POINT : D3DTEXF_LINEAR;
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    device_->SetTexture(0, texture_);
    if (look == Look::kCopy) {
      device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    } else {
      device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
      device_->SetRenderState(D3DRS_SRCBLEND, look == Look::kFade ? D3DBLEND_SRCALPHA : D3DBLEND_ONE);
      device_->SetRenderState(D3DRS_DESTBLEND, look == Look::kFade ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
      device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
      device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }
    device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device_->SetStreamSource(0, buffer_, 0, sizeof(Vertex));
  }

  ~Scene() {
    if (device_ != nullptr) {
      device_->SetTexture(0, nullptr);
      device_->SetStreamSource(0, nullptr, 0, 0);
    }
    if (buffer_ != nullptr) buffer_->Release();
    if (texture_ != nullptr) texture_->Release();
    if (device_ != nullptr) device_->Release();
    if (d3d_ != nullptr) d3d_->Release();
    if (window_ != nullptr) DestroyWindow(window_);
  }

  bool ready() const { return buffer_ != nullptr; }

  void ClearAndPresent() {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff203040, 1.f, 0);
    device_->Present(nullptr, nullptr, nullptr, nullptr);
  }

  void Frame(int passes) {
    device_->BeginScene();
    for (int i = 0; i < passes; ++i) device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device_->EndScene();
  }

  double pixels() const { return static_cast<double>(width_) * height_; }

 private:
  UINT width_;
  UINT height_;
  HWND window_ = nullptr;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  IDirect3DTexture9* texture_ = nullptr;
  IDirect3DVertexBuffer9* buffer_ = nullptr;
};

void Run(benchmark::State& state, int passes, Look look = Look::kFade) {
  Scene scene(static_cast<UINT>(state.range(0)), static_cast<UINT>(state.range(1)), look);
  if (!scene.ready()) {
    state.SkipWithError("no device");
    return;
  }
  for (auto _ : state) scene.Frame(passes);
  state.counters["Mpixel/s"] =
      benchmark::Counter(scene.pixels() * passes * static_cast<double>(state.iterations()) / 1e6,
                         benchmark::Counter::kIsRate);
}

void ClearAndPresent(benchmark::State& state) {
  Scene scene(static_cast<UINT>(state.range(0)), static_cast<UINT>(state.range(1)), Look::kCopy);
  if (!scene.ready()) {
    state.SkipWithError("no device");
    return;
  }
  for (auto _ : state) scene.ClearAndPresent();
  state.counters["Mpixel/s"] = benchmark::Counter(scene.pixels() * static_cast<double>(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

void TexturedBlendedQuad(benchmark::State& state) { Run(state, 1); }
void FrameOfSixPasses(benchmark::State& state) { Run(state, 6); }
void PlainCopy(benchmark::State& state) { Run(state, 1, Look::kCopy); }
void AdditiveQuad(benchmark::State& state) { Run(state, 1, Look::kAdditive); }
void TexturedBlendedQuadGeneralStage(benchmark::State& state) {
  d3d9::UseGeneralPixelStageOnly(true);
  Run(state, 1);
  d3d9::UseGeneralPixelStageOnly(false);
}

BENCHMARK(TexturedBlendedQuad)->Args({1280, 720})->Args({1920, 1080})->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(FrameOfSixPasses)->Args({1280, 720})->Args({1920, 1080})->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PlainCopy)->Args({1280, 720})->Args({1920, 1080})->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(AdditiveQuad)->Args({1280, 720})->Args({1920, 1080})->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(TexturedBlendedQuadGeneralStage)
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ClearAndPresent)->Args({1920, 1080})->Args({3840, 2160})->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // --threads=N is ours; every other argument is the benchmark library's.
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--threads=", 10) == 0) {
      d3d9::SetRenderThreads(static_cast<unsigned>(std::strtoul(argv[i] + 10, nullptr, 10)));
    } else if (std::strncmp(argv[i], "--isa=", 6) == 0) {
      d3d9::UseWideTarget(argv[i] + 6);
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
