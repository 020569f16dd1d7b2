// Streaks of sand blown by the wind, for a pattern brush: one picture of a looping sequence, the
// streaks moved on by a whole picture's width over the sequence, so that the tiled pattern flows.
// The picture tiles seamlessly in both directions, and its streaks differ along their rows, so that
// no grid shows where the tiles meet.
#pragma once
#include "alpha_picture.h"

namespace picture {

// Picture `frame` (0 to count - 1) of the sequence.
AlphaPicture PaintWindStreaks(int frame, int count);

}  // namespace picture
