#include "render/layer_view.h"

#include "document/device.h"

LayerView g_LayerView;

void SetLayerView(const QuadCorners& fitted, int targetWidth, int targetHeight, int pictureWidth,
                  int pictureHeight) {
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  g_LayerView.scaleX = static_cast<float>(desc.Width) / static_cast<float>(targetWidth);
  g_LayerView.scaleY = static_cast<float>(desc.Height) / static_cast<float>(targetHeight);
  g_LayerView.fittedPicture = fitted;
  g_LayerView.pictureWidth = pictureWidth;
  g_LayerView.pictureHeight = pictureHeight;
}
