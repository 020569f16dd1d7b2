// The sample scene's soundtrack: a calm piece in D major of about `seconds` length (pad, bass,
// plucked arpeggios, a bell melody), made from the same seed on every build.
#pragma once
#include "samples.h"

namespace sound {

Stereo MakeMusic(float seconds);

}  // namespace sound
