#include "tests/host/scene_player.h"

#include <cstdlib>

#include "document/device.h"
#include "render/quad_corners.h"
#include "render/random.h"

bool ScenePlayer::Start(int picturePosition) {
  // On the machine the test installed, with its first display at the player's size.
  if (FAILED(screen_.Open({.width = kWidth, .height = kHeight, .depth = D3DFMT_D16}, machine::Current())))
    return false;
  g_Device = screen_.device.Get();
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
  screen_.Close();
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
  const HRESULT reset = screen_.Reset();
  if (SUCCEEDED(reset)) scene_.RestoreDeviceResources();
  return reset;
}

std::vector<uint32_t> ScenePlayer::ReadBackBuffer() const {
  std::vector<uint32_t> pixels = screen_.BackBuffer();
  // A back buffer that cannot be read compares unlike any picture.
  if (pixels.empty()) pixels.assign(size_t(kWidth) * kHeight, 0xDEADBEEFu);
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
