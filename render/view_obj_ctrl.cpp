#include "render/view_obj_ctrl.h"

#include <cmath>
#include <limits>
#include <memory>

#include "document/fun_light_ctrl.h"
#include "render/random.h"
#include "render/layer_view.h"

namespace {

const ds_string kClassName = u"DS_ViewObjCtrl";
constexpr DWORD kVersion = 2;

float PictureWidth() { return static_cast<float>(g_LayerView.pictureWidth); }
float PictureHeight() { return static_cast<float>(g_LayerView.pictureHeight); }

// Truncation toward zero; a fraction from a hostile document may be far outside the picture, so
// NaN gives 0 and values beyond the int range stop at its ends.
INT TruncToPixel(float value) {
  if (std::isnan(value)) return 0;
  constexpr float kLimit = 2147483520.0f;  // the largest float below 2^31
  if (value >= kLimit) return std::numeric_limits<INT>::max();
  if (value <= -kLimit) return std::numeric_limits<INT>::min();
  return static_cast<INT>(value);
}

void SyncEdge(MediaParamT<INT>& edge, float fraction, float size) {
  edge.SetAndNotify(TruncToPixel(fraction * size));
}

// fraction = pixel / size; a picture of no size gives no fraction to take.
void TakeFraction(float* fraction, INT pixel, int size) {
  if (size == 0) return;
  *fraction = static_cast<float>(pixel) / static_cast<float>(size);
}

}  // namespace

DS_ViewObjCtrl::DS_ViewObjCtrl() { BindRect(); }

DS_ViewObjCtrl::DS_ViewObjCtrl(const DS_ViewObjCtrl& other)
    : DS_ABObj_Constructor(other),
      speed(other.speed.value),
      viewFlag(other.viewFlag),
      left(other.left),
      right(other.right),
      top(other.top),
      bottom(other.bottom) {
  BindRect();
}

bool DS_ViewObjCtrl::Save(DS_IOF_Virtual** stream) { return SaveBase(stream); }

void DS_ViewObjCtrl::GetScreenQuad(QuadCorners* quad) {
  *quad = QuadCorners();
  const float l = GetLeftPx(), r = GetRightPx(), t = GetTopPx(), b = GetBottomPx();
  const float xy[4][2] = {{l, b}, {l, t}, {r, b}, {r, t}};
  for (int i = 0; i < 4; ++i) {
    quad->corners[i].x = xy[i][0];
    quad->corners[i].y = xy[i][1];
  }
}

bool DS_ViewObjCtrl::HitTest(float, float) { return false; }

bool DS_ViewObjCtrl::SaveBase(DS_IOF_Virtual** stream) const {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  return SaveFields(stream);
}

bool DS_ViewObjCtrl::SaveFields(DS_IOF_Virtual** stream) const {
  WriteMediaRectangle(stream, pixelRect);
  for (const float* value : {&left, &right, &top, &bottom}) (*stream)->WriteFloat(value);
  (*stream)->WriteBool(&viewFlag);
  (*stream)->WriteUInt(&speed.value);
  return DS_ABObj_Constructor::SaveBase(stream);
}

bool DS_ViewObjCtrl::ReadBase(DS_IOF_Virtual** stream) {
  ds_string className;  // known from its place: read and ignored
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  return ReadFields(stream, version);
}

bool DS_ViewObjCtrl::ReadFields(DS_IOF_Virtual** stream, DWORD version) {
  ReadMediaRectangle(stream, &pixelRect);
  for (float* value : {&left, &right, &top, &bottom}) (*stream)->ReadFloat(value);
  (*stream)->ReadBool(&viewFlag);
  if (version >= 2) (*stream)->ReadUInt(&speed.value);
  return DS_ABObj_Constructor::ReadBase(stream);
}

void DS_ViewObjCtrl::TimeStep(float t) {
  const float dt = std::fabs(t - lastTime);  // a clock that goes back counts forward
  realStep = dt > 0.1f ? 0.1f : dt;
  const float step = dt > 0.2f ? 0.2f : dt;
  animationStep = static_cast<float>(speed.value) * 0.02f * step;
  animationTime += animationStep;
  lastTime = t;
}

void DS_ViewObjCtrl::SyncPixelRect() {
  SyncEdge(pixelRect.left, left, PictureWidth());
  SyncEdge(pixelRect.right, right, PictureWidth());
  SyncEdge(pixelRect.top, top, PictureHeight());
  SyncEdge(pixelRect.bottom, bottom, PictureHeight());
}

void DS_ViewObjCtrl::BindRect() {
  SyncPixelRect();
  BindIntCallback(&OnLeftPxChanged, this, pixelRect.left, rectCallbacks);
  BindIntCallback(&OnRightPxChanged, this, pixelRect.right, rectCallbacks);
  BindIntCallback(&OnTopPxChanged, this, pixelRect.top, rectCallbacks);
  BindIntCallback(&OnBottomPxChanged, this, pixelRect.bottom, rectCallbacks);
}

float DS_ViewObjCtrl::GetLeftPx() const { return left * PictureWidth(); }
float DS_ViewObjCtrl::GetRightPx() const { return right * PictureWidth(); }
float DS_ViewObjCtrl::GetTopPx() const { return top * PictureHeight(); }
float DS_ViewObjCtrl::GetBottomPx() const { return bottom * PictureHeight(); }

D3DXVECTOR3 DS_ViewObjCtrl::RandomPoint() const { return RandomPointInset(0.0f, 0.0f); }

D3DXVECTOR3 DS_ViewObjCtrl::RandomPointInset(float halfWidth, float halfHeight) const {
  const float x = RandFloat(GetLeftPx() + halfWidth, GetRightPx() - halfWidth);
  const float y = RandFloat(GetTopPx() + halfHeight, GetBottomPx() - halfHeight);
  return D3DXVECTOR3(x, y, 0.0f);
}

void DS_ViewObjCtrl::OnLeftPxChanged(DS_ViewObjCtrl* owner, INT pixel) {
  TakeFraction(&owner->left, pixel, g_LayerView.pictureWidth);
}
void DS_ViewObjCtrl::OnRightPxChanged(DS_ViewObjCtrl* owner, INT pixel) {
  TakeFraction(&owner->right, pixel, g_LayerView.pictureWidth);
}
void DS_ViewObjCtrl::OnTopPxChanged(DS_ViewObjCtrl* owner, INT pixel) {
  TakeFraction(&owner->top, pixel, g_LayerView.pictureHeight);
}
void DS_ViewObjCtrl::OnBottomPxChanged(DS_ViewObjCtrl* owner, INT pixel) {
  TakeFraction(&owner->bottom, pixel, g_LayerView.pictureHeight);
}

void BindIntCallback(void (*callback)(DS_ViewObjCtrl*, INT), DS_ViewObjCtrl* owner,
                     MediaParamT<INT>& edge, MediaControlList& list) {
  auto observer = std::make_unique<DS_FunLightCtrl<INT, DS_ViewObjCtrl>>(callback, owner);
  observer->Attach(&edge);
  observer->OnChange(nullptr);
  list.Add(std::move(observer));
}
