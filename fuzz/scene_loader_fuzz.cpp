// Feeds any bytes to the scene as the executable's document. Whatever the input, the loader must
// either give a scene or raise the media error; a scene is then made into render objects and played
// as the application plays it for a few frames (every slide it reaches, a device reset half way) on
// a small target, and destroyed. Nothing may crash, leak, hang, throw anything else or read outside
// the bytes. The scene's sound effects are parsed and given buffers on a sound device that plays
// nowhere.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include <windows.h>
#include <d3d9.h>

#include "document/file_link.h"
#include "platform/d3d9/bands.h"
#include "platform/machine/machine.h"
#include "platform/win32/resource_table.h"
#include "document/device.h"
#include "render/random.h"
#include "slideshow/glass_ball_light.h"
#include "slideshow/scene_loader.h"
#include "slideshow/view_2d.h"
#include "sound/sound_device.h"

namespace {

constexpr UINT kWidth = 64;
constexpr UINT kHeight = 48;
// Slides played after the first: each switch is one frame far in the future, then one more frame.
constexpr int kSlidesPlayed = 6;

D3DPRESENT_PARAMETERS Parameters(HWND window) {
  D3DPRESENT_PARAMETERS params = {};
  params.BackBufferWidth = kWidth;
  params.BackBufferHeight = kHeight;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.BackBufferCount = 1;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.hDeviceWindow = window;
  params.Windowed = TRUE;
  params.EnableAutoDepthStencil = TRUE;
  params.AutoDepthStencilFormat = D3DFMT_D16;
  return params;
}

HWND MakeWindow() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"SceneLoaderFuzz";
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, u"SceneLoaderFuzz", u"fuzz", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr, nullptr,
                         nullptr);
}

// Made once: the machine, the window and the sound device. The sound goes to no output (no sound
// server is looked for and no file is written), so that the effects' buffers are made and played
// without a sound from the fuzzer. Drawing stays on this thread, so that what an input reaches does
// not depend on how the workers share its bands.
HWND Start() {
  machine::Install(machine::DefaultMachine());
  d3d9::SetRenderThreads(1);
  for (const char* name : {"COPPERLEAF_SOUND_FILE", "PULSE_SERVER", "XDG_RUNTIME_DIR"}) unsetenv(name);
  HWND window = MakeWindow();
  SoundDevice::Init(window);
  return window;
}

// A software device of its own for each input, made before the document is read so that the
// manager's pictures become textures: no state an earlier input left on a device carries over.
IDirect3DDevice9* MakeDevice(HWND window, D3DPRESENT_PARAMETERS* params) {
  IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (!direct3D) return nullptr;
  *params = Parameters(window);
  D3DPRESENT_PARAMETERS asked = *params;
  IDirect3DDevice9* device = nullptr;
  direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &asked,
                         &device);
  direct3D->Release();
  return device;
}

// The process-wide state the scene keeps between frames, as a fresh process has it, so that what an
// input costs and reaches depends on its bytes alone: the random sequence, the picture the last
// layer showed (by which new objects place and size themselves), the view and its target stack, the
// glass ball's scroll clock and the stamps of links made from embedded records.
void StartFresh() {
  SRand(1);
  g_View2D = InitView2D();
  g_LayerView = LayerView{};
  g_TargetSizeStack.clear();
  SharedGlassBallScroll() = GlassBallScrollClock{};
  g_EmbeddedFileCounter = 0;
}

void Frame(DS_SlideShow_Light& show, IDirect3DDevice9* device, float time) {
  show.AdvanceFrame(time);
  if (FAILED(device->BeginScene())) return;
  show.Render();
  device->EndScene();
}

// The application's steps around a lost device. Whatever the scene holds, once it has given up its
// default-pool objects the reset must succeed: otherwise the user would get the reset error.
void LoseAndReset(DS_SlideShow_Light& show, DS_DocResManager& manager, IDirect3DDevice9* device,
                  const D3DPRESENT_PARAMETERS& params) {
  show.ReleaseDeviceResources();
  manager.OnLostDevice();
  D3DPRESENT_PARAMETERS asked = params;
  if (FAILED(device->Reset(&asked))) __builtin_trap();
  show.RestoreDeviceResources();
}

// Made into render objects as the application makes them, then played.
void Play(DS_SlideShow_Light& show, DS_DocResManager& manager, IDirect3DDevice9* device,
          const D3DPRESENT_PARAMETERS& params) {
  for (const auto& slide : show.slides)
    if (slide.Get()) slide->CreateRenderObjects();
  show.SetPicturePosition(2);
  float time = 1.0f;
  Frame(show, device, time);
  Frame(show, device, time += 0.05f);
  for (int i = 0; i < kSlidesPlayed; ++i) {
    if (i == kSlidesPlayed / 2) LoseAndReset(show, manager, device, params);
    // Far enough on for any slide's fade-in, show and fade-out to be over.
    Frame(show, device, time += 1.0e9f);
    Frame(show, device, time += 0.05f);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const HWND window = Start();
  D3DPRESENT_PARAMETERS params = {};
  IDirect3DDevice9* const device = MakeDevice(window, &params);
  if (!device) return 0;
  g_Device = device;
  StartFresh();

  // A block of exactly the input's size, so that any read past the end is reported.
  const std::vector<BYTE> document(data, data + size);
  const win32::Resource entries[] = {{win32::ResourceName(u"DDS"), win32::ResourceName(WORD{107}), document}};
  win32::SetModuleResources(nullptr, entries);
  try {
    std::unique_ptr<DS_SlideShow_Light> show = LoadSceneDocument();
    std::unique_ptr<DS_DocResManager> manager(g_DocResManager);
    Play(*show, *manager, device, params);
    // The root goes first: its objects hold what the manager made.
    show.reset();
  } catch (DWORD code) {
    if (code != kSceneMediaError) __builtin_trap();
  }
  SetCurrentDocResManager(nullptr);
  win32::SetModuleResources(nullptr, {});
  g_Device = nullptr;
  device->Release();
  return 0;
}
