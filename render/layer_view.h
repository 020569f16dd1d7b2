// The current layer's picture as the scene objects measure themselves by it. The 2D view sets it
// whenever a layer applies its picture; render objects and their controllers read it, so it lives
// below both.
#pragma once
#include "render/quad_corners.h"

struct LayerView {
  float scaleX = 1.0f;  // back-buffer width / current target width
  float scaleY = 1.0f;  // back-buffer height / current target height
  QuadCorners fittedPicture;  // fitted and centred, in back-buffer pixels
  int pictureWidth = 0;
  int pictureHeight = 0;
};
extern LayerView g_LayerView;
void SetLayerView(const QuadCorners& fitted, int targetWidth, int targetHeight, int pictureWidth,
                  int pictureHeight);
