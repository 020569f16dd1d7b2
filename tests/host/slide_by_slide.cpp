#include "tests/host/slide_by_slide.h"

#include "tests/support/back_buffer_pixels.h"

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

std::vector<uint32_t> DrawAgain(const SceneProbe& s, DS_SlideShow_Light& show) {
  if (FAILED(g_Device->BeginScene())) return {};
  show.Render();
  g_Device->EndScene();
  return BackBufferPixels(s.Device(0));
}

SlidesLookedAt LookAtEverySlide(SceneProbe& saver, const std::u16string& commandLine, const SlideLook& look) {
  SlidesLookedAt slides;
  int since = -1;  // frames since the slide looked at became current
  saver.afterRender = [&](SceneProbe& s, UINT, int) {
    DS_SlideShow_Light* show = s.Scene(0).sceneRoot.get();
    if (!show || !show->currentSlide.Get() || slides.looked >= show->slides.size()) return;
    slides.count = show->slides.size();
    if (show->currentSlide.Get() != show->slides[slides.looked].Get()) {
      // Ends the current slide on the next frame, so that the one looked at comes next.
      show->nextIndex = static_cast<DWORD>(slides.looked);
      show->startTime = -1.0e6f;
      since = -1;
      return;
    }
    if (look(s, *show, *show->currentSlide.Get(), ++since)) ++slides.looked;
  };
  saver.stopWhen = [&](SceneProbe&) { return slides.count > 0 && slides.looked >= slides.count; };
  saver.Start(commandLine);
  saver.afterRender = nullptr;
  saver.stopWhen = nullptr;
  return slides;
}
