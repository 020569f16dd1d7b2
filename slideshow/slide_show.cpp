#include "slideshow/slide_show.h"

#include <cstdint>

#include "document/class_registry.h"
#include "document/stream_reads.h"
#include "document/device.h"
#include "render/quad_corners.h"

namespace {

const ds_string kClassName = u"DS_SlideShow_Light";
constexpr DWORD kVersion = 1;
// The smallest stored object: a header of an empty class name and a version.
constexpr DWORD kMinObjectBytes = 4 + 4;
// An audio entry adds an empty title and an empty blob.
constexpr DWORD kMinAudioFileBytes = kMinObjectBytes + 4 + 4 + 4;

struct Durations {
  float fadeIn, showAndFadeIn, total, fadeOut, show;
};

// Summed in 64 bits: stored durations are arbitrary 32-bit values and must not wrap into a short
// slide.
Durations DurationsOf(const DS_SlideContainer& slide) {
  const uint64_t in = slide.fadeIn.value, show = slide.show.value, out = slide.fadeOut.value;
  return {static_cast<float>(in), static_cast<float>(in + show), static_cast<float>(in + show + out),
          static_cast<float>(out), static_cast<float>(show)};
}

// Opacity of black over the slide at `elapsed` seconds of its timeline: from 1 down to 0 over the
// fade-in, 0 while shown, up to 1 over the fade-out.
float OverlayAlpha(const Durations& d, float elapsed) {
  if (d.fadeIn > 0.0f && elapsed < d.fadeIn) return (d.fadeIn - elapsed) / d.fadeIn;
  if (elapsed <= d.showAndFadeIn) return 0.0f;
  // Past the show time, yet not past the total (the slide would have switched): fade-out > 0.
  return (elapsed - d.fadeIn - d.show) / d.fadeOut;
}

void ClearToBlack() {
  if (g_Device) g_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
}

}  // namespace

bool DS_SlideShow_Light::Save(DS_IOF_Virtual** stream) {
  WriteSlideShowRecord(stream, *this);
  return true;
}

void DS_SlideShow_Light::Render() {
  if (!currentSlide.Get() || !fadeOverlay) {
    ClearToBlack();
    return;
  }
  currentSlide->Render();
  currentSlide->PostRender();
  if (DS_2D_Light* layer = currentSlide->layer.Get()) layer->DrawFadeQuad(*fadeOverlay);
}

void DS_SlideShow_Light::ReleaseDeviceResources() {
  for (const auto& slide : slides)
    if (slide.Get()) slide->ReleaseDeviceResources();
}

void DS_SlideShow_Light::RestoreDeviceResources() {
  if (!currentSlide.Get()) return;
  if (DS_2D_Light* layer = currentSlide->layer.Get()) layer->RestoreDeviceResources();
  // The objects gave up their default-pool targets with the layer's (a glow's pair); the slide
  // goes on where it was, so they make them again without starting over.
  for (const auto& object : currentSlide->objects) object->RestoreDeviceResources();
}

void DS_SlideShow_Light::AdvanceFrame(float time) {
  if (!currentSlide.Get() || !fadeOverlay) {
    if (!Start(time)) return;
  } else if (ShowableCount() >= 2) {
    Time(time);
  }
  currentSlide->AdvanceFrame(time);
}

bool DS_SlideShow_Light::Start(float time) {
  const size_t first = NextShowable(0);
  if (first == slides.size()) return false;
  currentSlide = slides[first];
  // As if the fade-in were over already: the first slide is fully visible from the first frame.
  startTime = time - static_cast<float>(currentSlide->fadeIn.value);
  if (first != 0) nextIndex = static_cast<DWORD>((first + 1) % slides.size());
  ActivateCurrentSlide();
  fadeOverlay = std::make_unique<DS_SimpleMesh<DX_V::PWC>>();
  QuadCorners screen;
  screen.FullBackBuffer();
  fadeOverlay->BuildQuad(0x00000000u, screen);
  return true;
}

void DS_SlideShow_Light::Time(float time) {
  Durations durations = DurationsOf(*currentSlide);
  if (time - startTime > durations.total) {
    currentSlide->SetActive(false);
    // The outgoing slide gives up its full-screen targets; its next activation makes them again.
    currentSlide->ReleaseDeviceResources();
    const size_t next = NextShowable(nextIndex);
    currentSlide = slides[next];
    startTime = time;
    nextIndex = next + 1 < slides.size() ? static_cast<DWORD>(next + 1) : 0;
    ActivateCurrentSlide();
    // The switching frame already belongs to the incoming slide: its fade-in starts from black.
    durations = DurationsOf(*currentSlide);
  }
  const float alpha = OverlayAlpha(durations, time - startTime);
  fadeOverlay->SetCornerAlphas(alpha, alpha, alpha, alpha);
}

void DS_SlideShow_Light::ActivateCurrentSlide() {
  if (!currentSlide.Get()) return;
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  if (desc.Width != 0) currentSlide->Resize(static_cast<int>(desc.Width), static_cast<int>(desc.Height));
  if (DS_2D_Light* layer = currentSlide->layer.Get()) layer->StartCamera();
  currentSlide->RestoreDeviceResources();
  currentSlide->SetActive(true);
}

void DS_SlideShow_Light::SetPicturePosition(int mode) {
  for (const auto& slide : slides)
    if (slide.Get()) slide->SetPicturePosition(mode);
}

size_t DS_SlideShow_Light::NextShowable(size_t from) const {
  const size_t count = slides.size();
  for (size_t i = 0; i < count; ++i) {
    const size_t index = (from + i) % count;
    if (slides[index].Get()) return index;
  }
  return count;
}

size_t DS_SlideShow_Light::ShowableCount() const {
  size_t count = 0;
  for (const auto& slide : slides)
    if (slide.Get()) ++count;
  return count;
}

void ReadSlideList(DS_IOF_Virtual** stream, DS_SlideShow_Light& show) {
  const DWORD count = ReadCount(stream, kMinObjectBytes);
  for (DWORD i = 0; i < count && !(*stream)->Failed(); ++i)
    show.slides.push_back(CountedPtr<DS_SlideContainer>(ReadSlideByClassName(stream)));
}

void ReadAudioFileList(DS_IOF_Virtual** stream, DS_SlideShow_Light& show) {
  const DWORD count = ReadCount(stream, kMinAudioFileBytes);
  for (DWORD i = 0; i < count && !(*stream)->Failed(); ++i)
    show.audioFiles.push_back(CountedPtr<DS_AudioFile>(ReadAudioFileObject(stream)));
}

void WriteSlideShowRecord(DS_IOF_Virtual** stream, DS_SlideShow_Light& show) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  DWORD slideCount = 0;
  for (const auto& slide : show.slides)
    if (slide.Get()) ++slideCount;
  (*stream)->WriteULong(&slideCount);
  for (const auto& slide : show.slides)
    if (slide.Get()) WriteSlideContainerRecord(stream, *slide);
  const DWORD audioCount = static_cast<DWORD>(show.audioFiles.size());
  (*stream)->WriteULong(&audioCount);
  for (const auto& audio : show.audioFiles) WriteAudioFileRecord(stream, *audio);
}
