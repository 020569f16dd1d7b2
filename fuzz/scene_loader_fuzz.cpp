// Feeds any bytes to the scene loader as the executable's document. Whatever the input, the loader
// must either give a scene (kept and destroyed here) or raise the media error, never crash, leak or
// read outside the bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <windows.h>
#include <d3d9.h>

#include "platform/machine/machine.h"
#include "platform/win32/resource_table.h"
#include "render/device.h"
#include "slideshow/scene_loader.h"

namespace {

// One software device for the whole run, so that the manager's pictures become textures.
IDirect3DDevice9* MakeDevice() {
  machine::Install(machine::DefaultMachine());
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"SceneLoaderFuzz";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"SceneLoaderFuzz", u"fuzz", WS_POPUP, 0, 0, 256, 256, nullptr, nullptr, nullptr,
                                nullptr);
  IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (!direct3D) return nullptr;
  D3DPRESENT_PARAMETERS params = {};
  params.BackBufferWidth = 256;
  params.BackBufferHeight = 256;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.BackBufferCount = 1;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.hDeviceWindow = window;
  params.Windowed = TRUE;
  IDirect3DDevice9* device = nullptr;
  direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params,
                         &device);
  direct3D->Release();
  return device;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static IDirect3DDevice9* const device = MakeDevice();
  g_Device = device;

  // A block of exactly the input's size, so that any read past the end is reported.
  const std::vector<BYTE> document(data, data + size);
  const win32::Resource entries[] = {{win32::ResourceName(u"DDS"), win32::ResourceName(WORD{107}), document}};
  win32::SetModuleResources(nullptr, entries);
  try {
    std::unique_ptr<DS_SlideShow_Light> show = LoadSceneDocument();
    std::unique_ptr<DS_DocResManager> manager(g_DocResManager);
    show.reset();
  } catch (DWORD code) {
    if (code != kSceneMediaError) __builtin_trap();
  }
  SetCurrentDocResManager(nullptr);
  win32::SetModuleResources(nullptr, {});
  return 0;
}
