// What the application keeps per device: the "Loading..." picture, the scene of that monitor with
// its resource manager, and the playlist cursor. The splash shows on the device's first frame, the
// scene loads on the second and plays from the third on.
#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include <windows.h>

#include "document/doc_res_manager.h"
#include "render/textured_quad.h"
#include "document/vertex_formats.h"
#include "slideshow/slide_show.h"

struct MonitorScene {
  MonitorScene() = default;
  MonitorScene(const MonitorScene&) = delete;
  MonitorScene& operator=(const MonitorScene&) = delete;

  // The "Loading..." picture, centred on a black screen. The picture is made once; a frame whose
  // BeginScene fails draws nothing and the next frame tries again.
  void ShowSplash();
  // Loads the document on the current device, makes the render objects, applies the picture
  // position and starts the playlist and the sound volume. The document's media error when it cannot
  // be loaded or anything thrown while its objects are made: the scene then stays without root and
  // is never moved or drawn. The process plays one set of sound effects and one soundtrack: a scene
  // that does not `playSound` (another monitor's scene does) makes its effects without buffers, so
  // that they keep time silently, and leaves the music alone.
  HRESULT Start(bool playSound);
  // The media error when the scene throws while it moves or draws; nothing thrown leaves a frame.
  HRESULT AdvanceFrame(float time);
  // The frame; also the device's failure when it has made no texture (or let none be written) at
  // the start of the scene or after a reset, and again on each of the frames that followed.
  HRESULT Render();

  // The playlist: from the first music entry, and one step on at the end of each file.
  void StartPlaylist();
  void OnGraphEvent(LONG code);

  // Around a device reset: the scene's default-pool objects (the layers' targets, the manager's
  // effects, fonts and text targets) go before it and come back after it, the current slide's layer
  // with them, so the slide goes on.
  void ReleaseDeviceResources();
  void RestoreDeviceResources();

  TexturedQuad<DX_V::PWCT> splashQuad;
  // Null until the scene has started; kept until the application ends. The manager is declared
  // first so that it outlives the root, whose objects hold what it made.
  std::unique_ptr<DS_DocResManager> resourceManager;
  std::unique_ptr<DS_SlideShow_Light> sceneRoot;
  const std::vector<CountedPtr<DS_AudioFile>>* playlist = nullptr;
  size_t playlistPosition = 0;  // the next entry to play; the list's size once the last has started
  bool started = false;
  bool splashShown = false;
  bool splashLoaded = false;

 private:
  void AdvancePlaylist();
  // Makes and writes one small texture: S_OK, or the device's failure.
  static HRESULT ProbeResources();

  // A device that cannot make or write a texture draws black frames for ever. It is asked again on
  // the frames after a failure (a failure may pass); after this many failures in a row the failure
  // is the application's error.
  static constexpr int kResourceTries = 3;
  int resourceFailures = 0;  // failed probes in a row; 0 once the device has made one
};
