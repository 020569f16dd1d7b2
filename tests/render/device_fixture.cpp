#include "device_fixture.h"

#include "platform/machine/machine.h"

namespace {
constexpr const WCHAR* kClass = u"RenderTestWindow";

void RegisterTestClass() {
  static const bool registered = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = kClass;
    return RegisterClassW(&windowClass) != 0;
  }();
  (void)registered;
}
}  // namespace

void RenderDeviceTest::CreateDevice(UINT width, UINT height) {
  TearDown();
  machine::Machine description = machine::DefaultMachine();
  description.displays.at(0).current.width = width;
  description.displays.at(0).current.height = height;
  machine::Install(description);
  RegisterTestClass();
  window_ = CreateWindowExW(0, kClass, u"render test", WS_POPUP, 0, 0, int(width), int(height), nullptr, nullptr,
                            nullptr, nullptr);
  d3d_.Attach(Direct3DCreate9(D3D_SDK_VERSION));
  ASSERT_TRUE(d3d_);
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = width;
  params.BackBufferHeight = height;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.BackBufferCount = 1;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.hDeviceWindow = window_;
  params.Windowed = TRUE;
  params.EnableAutoDepthStencil = TRUE;
  params.AutoDepthStencilFormat = D3DFMT_D16;
  ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                               &params, device_.Out()),
            S_OK);
  g_Device = device_.Get();
  width_ = width;
  height_ = height;
}

void RenderDeviceTest::TearDown() {
  g_Device = nullptr;
  device_.Release();
  d3d_.Release();
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
}

std::vector<uint32_t> RenderDeviceTest::ReadBackBuffer() {
  ComHolder<IDirect3DSurface9> backBuffer;
  EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Out()), S_OK);
  std::vector<uint32_t> pixels;
  D3DLOCKED_RECT locked{};
  if (!backBuffer || FAILED(backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return pixels;
  pixels.resize(size_t(width_) * height_);
  for (UINT y = 0; y < height_; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < width_; ++x) pixels[y * width_ + x] = row[x] & 0x00FFFFFFu;
  }
  backBuffer->UnlockRect();
  return pixels;
}

std::vector<uint32_t> RenderDeviceTest::ReadTexture(IDirect3DTexture9* texture, UINT* width, UINT* height) {
  std::vector<uint32_t> pixels;
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  if (!texture || FAILED(texture->GetLevelDesc(0, &desc)) || FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
    return pixels;
  }
  *width = desc.Width;
  *height = desc.Height;
  pixels.resize(size_t(desc.Width) * desc.Height);
  const bool opaque = desc.Format == D3DFMT_X8R8G8B8;
  for (UINT y = 0; y < desc.Height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < desc.Width; ++x) pixels[y * desc.Width + x] = opaque ? (row[x] | 0xFF000000u) : row[x];
  }
  texture->UnlockRect(0);
  return pixels;
}
