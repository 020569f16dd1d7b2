// The layer's render targets and the view state that goes with each: the window's target, the
// layer's own target while objects need the background, and the offscreen targets of render objects.
#include "document/device.h"
#include "slideshow/light_2d.h"

void DS_2D_Light::ApplyView(int viewMode, bool targetSpace) {
  g_View2D.UseBorders(&borders);
  g_View2D.Apply(picture, targetWidth, targetHeight, viewMode, targetSpace);
  appliedMode_ = viewMode;
  appliedTargetSpace_ = targetSpace;
}

void DS_2D_Light::ReapplyView() {
  // Until the layer has a target size it has never applied its picture.
  if (targetWidth <= 0 || targetHeight <= 0) return;
  ApplyView(appliedMode_, appliedTargetSpace_);
  SetLayerViewForTarget();
  g_View2D.SetCamera(camera.viewZoom, camera.viewPanX, camera.viewPanY);
}

void DS_2D_Light::SetLayerViewForTarget() {
  QuadCorners fitted;
  const float w = static_cast<float>(targetWidth);
  const float h = static_cast<float>(targetHeight);
  fitted.FitAspect(picture, w, h);
  fitted.RescaleToBackBuffer(w, h);
  SetLayerView(fitted, targetWidth, targetHeight, static_cast<int>(picture.width), static_cast<int>(picture.height));
}

void DS_2D_Light::Resize(int width, int height) {
  targetWidth = width;
  targetHeight = height;
  // The layer's own picture position: the shared view holds whatever the layer drawn last applied
  // (a glass ball leaves Fit behind), which must not carry over to this slide.
  ApplyView(mode, false);
  SetLayerViewForTarget();
}

void DS_2D_Light::SetPicturePosition(int newMode) {
  mode = newMode;
  ApplyView(mode, false);
  DS_2D_Light::Resize(targetWidth, targetHeight);
}

void DS_2D_Light::BeginTarget(RenderTargetPair& pair, int targetMode) {
  g_TargetSizeStack.push_back({targetWidth, targetHeight, g_View2D.mode, appliedTargetSpace_});
  targetWidth = static_cast<int>(pair.Width());
  targetHeight = static_cast<int>(pair.Height());
  ApplyView(targetMode, true);
}

void DS_2D_Light::EndTarget() {
  // An unmatched end has no target to leave: size and view stay as they are.
  if (g_TargetSizeStack.empty()) return;
  const TargetState saved = g_TargetSizeStack.back();
  g_TargetSizeStack.pop_back();
  targetWidth = saved.width;
  targetHeight = saved.height;
  ApplyView(saved.mode, saved.targetSpace);
}

void DS_2D_Light::BeginLayerTarget() {
  layerTarget.BeginRender();
  ApplyView(kLayerTarget, false);
}

RenderTargetPair& DS_2D_Light::EndLayerTarget(bool clear) {
  ApplyView(mode, false);
  layerTarget.EndRender();
  if (clear && g_Device) g_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  return layerTarget;
}
