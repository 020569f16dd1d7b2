#include "render/quad_corners.h"

#include "document/device.h"

namespace {
void SetRectangle(QuadCorners& quad, float x0, float y0, float x1, float y1) {
  quad.corners[0].x = x0;
  quad.corners[0].y = y1;
  quad.corners[1].x = x0;
  quad.corners[1].y = y0;
  quad.corners[2].x = x1;
  quad.corners[2].y = y1;
  quad.corners[3].x = x1;
  quad.corners[3].y = y0;
}
}  // namespace

QuadCorners::QuadCorners()
    : corners{{0, 0, 1.0f, 0, 1}, {0, 0, 1.0f, 0, 0}, {0, 0, 1.0f, 1, 1}, {0, 0, 1.0f, 1, 0}} {}

void QuadCorners::FullBackBuffer() {
  *this = QuadCorners();
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  SetRectangle(*this, 0.0f, 0.0f, static_cast<float>(desc.Width), static_cast<float>(desc.Height));
}

void QuadCorners::FitAspect(const TextureEntry& picture, float width, float height) {
  const float aspect = picture.aspect;
  float fittedWidth, fittedHeight, x0, y0;
  if (height / width < aspect) {
    fittedHeight = height;
    fittedWidth = height / aspect;
    x0 = (width - fittedWidth) / 2.0f;
    y0 = 0.0f;
  } else {
    fittedWidth = width;
    fittedHeight = width * aspect;
    x0 = 0.0f;
    y0 = (height - fittedHeight) / 2.0f;
  }
  SetRectangle(*this, x0, y0, x0 + fittedWidth, y0 + fittedHeight);
}

void QuadCorners::RescaleToBackBuffer(float width, float height) {
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  const float sx = static_cast<float>(desc.Width) / width;
  const float sy = static_cast<float>(desc.Height) / height;
  for (QuadCorner& corner : corners) {
    corner.x *= sx;
    corner.y *= sy;
  }
}
