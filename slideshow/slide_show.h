// The root of the scene: the slides in document order and the soundtrack's music entries. It shows
// one slide at a time, gives each its fade-in, show and fade-out time, fades through black from one
// slide to the next with a full-screen black quad of varying opacity, and starts again with the
// first slide after the last.
#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include <windows.h>

#include "document/iof_item.h"
#include "render/counted_ptr.h"
#include "render/simple_mesh.h"
#include "document/vertex_formats.h"
#include "slideshow/audio_file.h"
#include "slideshow/slide_container.h"

class DS_SlideShow_Light : public DS_IOF_Item {
 public:
  DS_SlideShow_Light() = default;
  DS_SlideShow_Light(const DS_SlideShow_Light&) = delete;
  DS_SlideShow_Light& operator=(const DS_SlideShow_Light&) = delete;
  // Members go in reverse: the overlay, the audio files, the slides, the current slide.
  ~DS_SlideShow_Light() override = default;

  bool Save(DS_IOF_Virtual** stream) override;
  // Between BeginScene and EndScene, after AdvanceFrame: the current slide, its post render and the
  // fade quad. Black while there is no slide to show.
  void Render();
  void ReleaseDeviceResources();
  // Only the current slide's layer and objects; the others restore when they next become current.
  void RestoreDeviceResources();
  // Once per frame with the absolute scene time in seconds: the slide timing, then the current
  // slide's frame move.
  void AdvanceFrame(float time);
  // The current slide takes the back buffer's size, starts its camera, restores and plays.
  void ActivateCurrentSlide();
  // 0 Stretch, 1 Fit, 2 Fill, on every slide.
  void SetPicturePosition(int mode);

  CountedPtr<DS_SlideContainer> currentSlide;
  // Entries whose class could not be read stay as empty holders; they are never shown.
  std::vector<CountedPtr<DS_SlideContainer>> slides;
  std::vector<CountedPtr<DS_AudioFile>> audioFiles;
  float startTime = 0.0f;  // scene time at which the current slide's timeline began
  DWORD nextIndex = 1;     // the slide that follows the current one
  std::unique_ptr<DS_SimpleMesh<DX_V::PWC>> fadeOverlay;

 private:
  // The first slide to show: false when there is none.
  bool Start(float time);
  // Switches when the current slide's time is over and sets the overlay's opacity.
  void Time(float time);
  // The index of the first slide that can be shown, from `from` on and wrapping; slides.size() when
  // there is none.
  size_t NextShowable(size_t from) const;
  size_t ShowableCount() const;
};

// ULong counts, then the slides (through the slide registry) or the audio entries, appended to the
// root. Reading stops once the stream has failed.
void ReadSlideList(DS_IOF_Virtual** stream, DS_SlideShow_Light& show);
void ReadAudioFileList(DS_IOF_Virtual** stream, DS_SlideShow_Light& show);
void WriteSlideShowRecord(DS_IOF_Virtual** stream, DS_SlideShow_Light& show);
