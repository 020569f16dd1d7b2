// The embedded sample scene played slide by slide on the virtual clock, each slide from its start,
// so that a test can look at every slide through its show and draw its frame again as it likes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/host/scene_probe.h"

// A stored name as a failure message prints it.
std::string Narrow(const std::u16string& text);

// The slide show's frame drawn again at the scene's present state: the back buffer's pixels after it.
std::vector<uint32_t> DrawAgain(const SceneProbe& s, DS_SlideShow_Light& show);

// Called on every frame of the slide looked at, with the frames since it became current (0 on its
// first); true when the test is done with that slide.
using SlideLook = std::function<bool(SceneProbe&, DS_SlideShow_Light&, DS_SlideContainer& slide, int since)>;

struct SlidesLookedAt {
  size_t looked = 0;  // slides the look was done with
  size_t count = 0;   // slides of the scene
};

// Runs the saver with the command line until `look` is done with every slide of the first monitor's
// scene, the slides taken in their order.
SlidesLookedAt LookAtEverySlide(SceneProbe& saver, const std::u16string& commandLine, const SlideLook& look);
