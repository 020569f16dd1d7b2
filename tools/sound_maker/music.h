// The sample scene's soundtrack: a calm piece in D major of about `seconds` length (pad, bass,
// plucked arpeggios, a bell melody), made from the same seed on every build.
#pragma once
#include "samples.h"

namespace sound {

// The soundtrack's peak: room for the loudest slide's effects on top of it (effects.cpp).
inline constexpr float kMusicPeak = 0.48f;

// Opens at its full level and ends where its last sound has died away, so that the scene's playlist,
// which starts the piece again at its end, leaves no silence between the end and the new start.
Stereo MakeMusic(float seconds);

}  // namespace sound
