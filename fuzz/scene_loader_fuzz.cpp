// Feeds any bytes to the scene as the executable's document. Whatever the input, the loader must
// either give a scene or raise the media error; a scene is then made into render objects and played
// as the application plays it for a few frames (every slide it reaches, a device reset half way) on
// a small target, and destroyed. Nothing may crash, leak, hang, throw anything else or read outside
// the bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <windows.h>
#include <d3d9.h>

#include "platform/machine/machine.h"
#include "platform/win32/resource_table.h"
#include "document/device.h"
#include "render/random.h"
#include "slideshow/scene_loader.h"

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

// One software device for the whole run, so that the manager's pictures become textures.
IDirect3DDevice9* MakeDevice(D3DPRESENT_PARAMETERS* params) {
  machine::Install(machine::DefaultMachine());
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"SceneLoaderFuzz";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"SceneLoaderFuzz", u"fuzz", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                nullptr, nullptr);
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
  static D3DPRESENT_PARAMETERS params = {};
  static IDirect3DDevice9* const device = MakeDevice(&params);
  g_Device = device;
  if (!device) return 0;
  // Each input starts from the same random sequence, so that what it costs and what it reaches
  // depend on its bytes alone, not on the inputs run before it.
  SRand(1);

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
  return 0;
}
