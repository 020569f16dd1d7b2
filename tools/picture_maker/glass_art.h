// The glass ball's overlays, drawn over the sphere's square quad (whose inscribed disc is the ball)
// and over the stand's quad below it: a soft window reflection, a rim light and a copper stand.
#pragma once
#include "alpha_picture.h"

namespace picture {

// A bright, soft-edged reflection in the ball's upper left and a small glint beside it.
AlphaPicture PaintBallHighlight(int size);
// Light gathered along the ball's lower right rim, fading around the edge.
AlphaPicture PaintBallRim(int size);
// A turned copper stand: a cup under the ball on a wider foot, shaded from the upper left.
AlphaPicture PaintBallStand(int width, int height);

}  // namespace picture
