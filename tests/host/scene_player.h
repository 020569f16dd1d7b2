// The embedded sample scene on a small software device, driven slide by slide as the application's
// monitor scene plays it: any slide can be made current, played for some frames on the virtual
// clock, and the device lost and reset in between.
#pragma once
#include <cstdint>
#include <vector>

#include <windows.h>
#include <d3d9.h>

#include "host/monitor_scene.h"
#include "document/com_holder.h"
#include "tests/support/test_device.h"

class ScenePlayer {
 public:
  static constexpr UINT kWidth = 160;
  static constexpr UINT kHeight = 120;

  // Makes the device and starts the scene on it (the system's random sequence started again) with
  // the given picture position; false when either fails.
  bool Start(int picturePosition);
  ~ScenePlayer();

  DS_SlideShow_Light& Show() { return *scene_.sceneRoot; }
  size_t SlideCount() const { return scene_.sceneRoot ? scene_.sceneRoot->slides.size() : 0; }

  // Makes slide `index` current from the scene time `time` on, with the system's random sequence
  // started again, and plays `frames` frames of 1/30 s without any fade. The last frame's back buffer
  // (0x00RRGGBB, row-major).
  std::vector<uint32_t> Play(size_t index, int frames, float time);
  // One frame at scene time `time` on the current slide.
  void Frame(float time);
  // The application's steps around a lost device: the scene's objects go, the device is reset, they
  // come back. The reset's result.
  HRESULT LoseAndReset();
  std::vector<uint32_t> ReadBackBuffer() const;

 private:
  TestDevice screen_;
  MonitorScene scene_;
};

// Pixels that differ by more than `tolerance` in any channel.
int DifferentPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance);
// Mean of the three channels over all pixels (0 to 255).
int MeanLevel(const std::vector<uint32_t>& pixels);
