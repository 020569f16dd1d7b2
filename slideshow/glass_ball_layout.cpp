// Where the glass ball's parts lie: the background fitted to the target and moved by camera and
// picture position, the bars beside it, the sphere scene's camera and the texture matrix that
// projects the slide or the background onto the sphere quad. Everything here is single precision.
#include <cmath>

#include "document/device.h"
#include "slideshow/glass_ball_light.h"

namespace {

constexpr float kPi = 3.141592654f;

// A quotient that stays finite: a zero or broken divisor gives the fallback.
float Divide(float numerator, float denominator, float fallback) {
  const float q = numerator / denominator;
  return std::isfinite(q) ? q : fallback;
}

QuadCorners Rectangle(float x0, float x1, float y0, float y1) {
  QuadCorners quad;
  quad.corners[0].x = x0, quad.corners[0].y = y1;
  quad.corners[1].x = x0, quad.corners[1].y = y0;
  quad.corners[2].x = x1, quad.corners[2].y = y1;
  quad.corners[3].x = x1, quad.corners[3].y = y0;
  return quad;
}

// A picture's width / height; 1 for a picture without a height.
float Aspect(UINT width, UINT height) {
  return height ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
}

}  // namespace

void DS_GlassBallLight::UpdateSphereMetrics() {
  const float size = static_cast<float>(sphereSize.value);
  const float enlargement = 1.0f + static_cast<float>(magnification.value) / 200.0f;
  const float k = -600.0f / (0.75f * size / 100.0f + 0.25f);
  cameraDistance = Divide(k, sx * ry, k);
  sphereScale = ((size * ry * sx / 100.0f) * 1.105f + 0.385f) * 1.05f * enlargement;
  swayAmplitude = 0.125f * enlargement;
}

void DS_GlassBallLight::Resize(int width, int height) {
  DS_2D_Light::Resize(width, height);
  // Until the layer has a target size there is nothing to fit the background into.
  if (width <= 0 || height <= 0) return;
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  g_View2D.Apply(backgroundPicture, width, height, effectiveMode, false);
  // The camera is measured in the background picture's pixels, like the picture position it is
  // combined with (the view may have held another picture when the camera moved).
  g_View2D.SetCamera(camera.viewZoom, camera.viewPanX, camera.viewPanY);
  UpdateSphereMetrics();

  QuadCorners fitted;
  fitted.FitAspect(backgroundPicture, w, h);
  if (!insideTarget) fitted.RescaleToBackBuffer(w, h);
  const float L = fitted.corners[1].x, R = fitted.corners[2].x;
  const float T = fitted.corners[1].y, B = fitted.corners[0].y;
  const float bgWidth = static_cast<float>(backgroundPicture.width);
  const float bgHeight = static_cast<float>(backgroundPicture.height);

  D3DXMATRIX m;
  D3DXMatrixMultiply(&m, &g_View2D.camera, &g_View2D.picturePosition);
  sx = m._11;
  sy = m._22;
  // A background picture without a size has no pixels to move by.
  ox = Divide(m._41 * (R - L), bgWidth, 0.0f);
  oy = Divide(m._42 * (B - T), bgHeight, 0.0f);

  QuadCorners placed = fitted;
  for (QuadCorner& corner : placed.corners) {
    corner.x = L + sx * (corner.x - L) + ox;
    corner.y = T + sy * (corner.y - T) + oy;
  }
  backgroundQuad.UpdateCorners(placed);

  const float L1 = sx * L, R1 = sx * R, T1 = sy * T, B1 = sy * B;
  rx = Divide(R1 - L1, (R1 - L1) + 2.0f * (std::trunc(L1) + 1.0f), 1.0f);
  ry = Divide(B1 - T1, (B1 - T1) + 2.0f * (std::trunc(T1) + 1.0f), 1.0f);

  const float ix = g_View2D.inverseScaleX, iy = g_View2D.inverseScaleY;
  const float X = Divide((R1 - L1) * ix * g_View2D.offsetX, bgWidth, 0.0f);
  const float Y = Divide((B1 - T1) * iy * g_View2D.offsetY, bgHeight, 0.0f);
  const float L2 = L + X, R2 = L + ix * (R - L) + X;
  const float T2 = T + Y, B2 = T + iy * (B - T) + Y;
  const float a = std::trunc(L2) + 1.0f, b = std::trunc(T2) + 1.0f;
  const float barWidth = std::trunc(R2 - L2), barHeight = std::trunc(B2 - T2);
  const QuadCorners rectangles[4] = {Rectangle(0.0f, a, 0.0f, barHeight), Rectangle(R2, R2 + a, 0.0f, barHeight),
                                     Rectangle(0.0f, barWidth, 0.0f, b), Rectangle(0.0f, barWidth, B2, B2 + b)};
  for (int i = 0; i < 4; ++i) {
    if (!bars[i].LockVertices()) continue;
    bars[i].WriteCorners(rectangles[i]);
    bars[i].UnlockVertices();
  }

  UpdateSphereMetrics();
  g_View2D.Apply(backgroundPicture, width, height, kFit, false);
}

void DS_GlassBallLight::SetPicturePosition(int newMode) {
  // Only a background picture follows the setting; the gradient always fills the target.
  effectiveMode = backgroundPictureSwitch.value == 1 ? newMode : kFill;
  Resize(targetWidth, targetHeight);
}

void DS_GlassBallLight::BeginTarget(RenderTargetPair& pair, int targetMode) {
  savedMode = effectiveMode;
  savedWidth = targetWidth;
  savedHeight = targetHeight;
  insideTarget = true;
  if (targetMode != kLayerTarget) {
    effectiveMode = backgroundPictureSwitch.value == 1 ? targetMode : kFill;
    Resize(savedWidth, savedHeight);
    Resize(static_cast<int>(pair.Width()), static_cast<int>(pair.Height()));
  }
  // What the base layer saves for its EndTarget is the layer's own size, not the pair's.
  targetWidth = savedWidth;
  targetHeight = savedHeight;
  DS_2D_Light::BeginTarget(pair, targetMode);
}

void DS_GlassBallLight::EndTarget() {
  if (insideTarget) {
    insideTarget = false;
    Resize(savedWidth, savedHeight);
    effectiveMode = backgroundPictureSwitch.value == 1 ? savedMode : kFill;
    Resize(savedWidth, savedHeight);
  }
  DS_2D_Light::EndTarget();
}

void DS_GlassBallLight::MeasureSize(float& width, float& height) const {
  if (insideTarget) {
    width = static_cast<float>(savedWidth);
    height = static_cast<float>(savedHeight);
    return;
  }
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  width = static_cast<float>(desc.Width);
  height = static_cast<float>(desc.Height);
}

void DS_GlassBallLight::SetSphereTransforms(bool refraction) {
  float W = 0.0f, H = 0.0f;
  MeasureSize(W, H);
  const float distanceScale = cameraDistance / 600.0f;
  const POINT& position = spherePosition.value;
  float Xw = (((static_cast<float>(position.x) + 250.0f) * sx - 250.0f) + Divide(500.0f * ox, W * rx, 0.0f)) *
             -distanceScale;
  float Yw = (((static_cast<float>(position.y) + 250.0f) * sy - 250.0f) + Divide(500.0f * oy, H * ry, 0.0f)) *
             distanceScale;
  const float targetAspect = Divide(static_cast<float>(targetWidth), static_cast<float>(targetHeight), 1.0f);
  if (backgroundPictureSwitch.value == 1) {
    Yw = Yw * ry;
    Xw = Xw * targetAspect * rx;
  }

  float s = ry, U = 0.0f, V = 0.0f;
  if (refraction) {
    s = sphereScale;
    const float Z = 1.5f - std::floor(static_cast<float>(magnification.value) / 2.0f) * 0.01f;
    // Whole-number aspect of the slide's picture; a portrait (or unsized) picture counts as 1 so that
    // the scroll offset stays finite.
    UINT A = picture.height ? picture.width / picture.height : 1;
    if (A == 0) A = 1;
    U = swayAmplitude * sway - Divide(Z * Xw, W * static_cast<float>(A), 0.0f);
    V = Divide(Z * Yw, H, 0.0f);
  }

  D3DXMATRIX world, view, projection;
  D3DXMatrixTranslation(&world, Xw, Yw, 0.0f);
  const D3DXVECTOR3 eye(0.0f, 0.0f, cameraDistance), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, kPi / 4.0f, targetAspect, 1.0f, 3000.0f);
  if (g_Device) {
    g_Device->SetTransform(D3DTS_WORLD, &world);
    g_Device->SetTransform(D3DTS_VIEW, &view);
    g_Device->SetTransform(D3DTS_PROJECTION, &projection);
  }

  const float a = !refraction && backgroundPictureSwitch.value != 0
                      ? Aspect(backgroundPicture.width, backgroundPicture.height)
                      : Aspect(picture.width, picture.height);
  D3DXMATRIX P;
  D3DXMatrixPerspectiveFovLH(&P, kPi / 4.0f, a, 1.0f, 3000.0f);
  const D3DXVECTOR3 translation(view._41, view._42, view._43);
  const float d = D3DXVec3Length(&translation);
  const float q = P._33 * (d * s) + P._34;

  textureMatrix = D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  textureMatrix._11 = 0.5f * P._11 / q;
  textureMatrix._22 = -0.5f * P._22 / q;
  textureMatrix._41 = (U - std::floor(U)) + 0.5f;
  textureMatrix._42 = V + 0.5f;
  if (!g_Device) return;
  g_Device->SetTransform(D3DTS_TEXTURE1, &textureMatrix);
  g_Device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  g_Device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION | 1);
}
