#include "layer_fixture.h"

#include "platform/machine/machine.h"
#include "slideshow/view_2d.h"

namespace {
constexpr const WCHAR* kClass = u"LayerTestWindow";

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

void LayerDeviceTest::SetUp() {
  g_View2D = InitView2D();
  g_LayerView = LayerView{};
  g_TargetSizeStack.clear();
  CreateDevice(1024, 768);
}

void LayerDeviceTest::CreateDevice(UINT width, UINT height) {
  TearDown();
  machine::Machine description = machine::DefaultMachine();
  description.displays.at(0).current.width = width;
  description.displays.at(0).current.height = height;
  machine::Install(description);
  RegisterTestClass();
  window_ = CreateWindowExW(0, kClass, u"layer test", WS_POPUP, 0, 0, int(width), int(height), nullptr, nullptr,
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
  ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                               &params, device_.Out()),
            S_OK);
  g_Device = device_.Get();
  width_ = width;
  height_ = height;
}

void LayerDeviceTest::TearDown() {
  g_View2D.UseBorders(nullptr);
  g_Device = nullptr;
  device_.Release();
  d3d_.Release();
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
}

ComHolder<IDirect3DTexture9> LayerDeviceTest::MakeTexture(UINT width, UINT height,
                                                          const std::function<uint32_t(int, int)>& paint) {
  ComHolder<IDirect3DTexture9> texture;
  EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr), S_OK);
  D3DLOCKED_RECT locked{};
  if (!texture || FAILED(texture->LockRect(0, &locked, nullptr, 0))) return texture;
  for (UINT y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < width; ++x) row[x] = paint(int(x), int(y));
  }
  texture->UnlockRect(0);
  return texture;
}

std::vector<uint32_t> LayerDeviceTest::ReadBackBuffer() {
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
