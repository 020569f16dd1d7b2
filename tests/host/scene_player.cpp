#include "tests/host/scene_player.h"

#include <cstdlib>

#include "render/device.h"
#include "render/quad_corners.h"
#include "render/random.h"

bool ScenePlayer::Start(int picturePosition) {
  // Each test starts a fresh window system, so the class is registered again (a second
  // registration in one system fails harmlessly).
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"ScenePlayerWindow";
  RegisterClassW(&windowClass);
  window_ = CreateWindowExW(0, u"ScenePlayerWindow", u"scene", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                            nullptr, nullptr);
  d3d_.Attach(Direct3DCreate9(D3D_SDK_VERSION));
  if (!d3d_) return false;
  params_.BackBufferWidth = kWidth;
  params_.BackBufferHeight = kHeight;
  params_.BackBufferFormat = D3DFMT_X8R8G8B8;
  params_.BackBufferCount = 1;
  params_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params_.hDeviceWindow = window_;
  params_.Windowed = TRUE;
  params_.EnableAutoDepthStencil = TRUE;
  params_.AutoDepthStencilFormat = D3DFMT_D16;
  D3DPRESENT_PARAMETERS params = params_;
  if (FAILED(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &params, device_.Out())))
    return false;
  g_Device = device_.Get();
  // The objects take their first draws while the scene is made: from the generator's start, as in a
  // new process, so that every player makes the same scene.
  SRand(1);
  if (FAILED(scene_.Start(true)) || !scene_.sceneRoot) return false;
  scene_.sceneRoot->SetPicturePosition(picturePosition);
  return true;
}

ScenePlayer::~ScenePlayer() {
  scene_.sceneRoot.reset();
  SetCurrentDocResManager(nullptr);
  scene_.resourceManager.reset();
  g_Device = nullptr;
  device_.Release();
  d3d_.Release();
  if (window_) DestroyWindow(window_);
}

std::vector<uint32_t> ScenePlayer::Play(size_t index, int frames, float time) {
  DS_SlideShow_Light& show = Show();
  if (show.currentSlide.Get()) show.currentSlide->SetActive(false);
  SRand(1);
  show.currentSlide = show.slides.at(index);
  show.startTime = time;
  show.ActivateCurrentSlide();
  if (!show.fadeOverlay) {
    show.fadeOverlay = std::make_unique<DS_SimpleMesh<DX_V::PWC>>();
    QuadCorners screen;
    screen.FullBackBuffer();
    show.fadeOverlay->BuildQuad(0x00000000u, screen);
  }
  for (int frame = 0; frame < frames; ++frame) Frame(time + static_cast<float>(frame) / 30.0f);
  return ReadBackBuffer();
}

void ScenePlayer::Frame(float time) {
  Show().currentSlide->AdvanceFrame(time);
  scene_.Render();
}

HRESULT ScenePlayer::LoseAndReset() {
  scene_.ReleaseDeviceResources();
  D3DPRESENT_PARAMETERS params = params_;
  const HRESULT reset = device_->Reset(&params);
  if (SUCCEEDED(reset)) scene_.RestoreDeviceResources();
  return reset;
}

std::vector<uint32_t> ScenePlayer::ReadBackBuffer() const {
  std::vector<uint32_t> pixels(size_t(kWidth) * kHeight, 0xDEADBEEFu);
  ComHolder<IDirect3DSurface9> back;
  if (FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Out()))) return pixels;
  D3DLOCKED_RECT locked = {};
  if (FAILED(back->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return pixels;
  for (UINT y = 0; y < kHeight; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch);
    for (UINT x = 0; x < kWidth; ++x) pixels[size_t(y) * kWidth + x] = row[x] & 0x00FFFFFFu;
  }
  back->UnlockRect();
  return pixels;
}

int DifferentPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance) {
  int different = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    for (int shift : {0, 8, 16})
      if (std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF)) > tolerance) {
        ++different;
        break;
      }
  return different + static_cast<int>(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

int MeanLevel(const std::vector<uint32_t>& pixels) {
  int64_t sum = 0;
  for (uint32_t p : pixels) sum += (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF);
  return pixels.empty() ? 0 : static_cast<int>(sum / (3 * static_cast<int64_t>(pixels.size())));
}
