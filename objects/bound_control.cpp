#include "objects/bound_control.h"

#include <algorithm>

#include "render/particle.h"
#include "render/particle_sprite_prop.h"
#include "render/random.h"

namespace {

const ds_string kClassName = u"DS_BoundControl";
constexpr DWORD kVersion = 1;

using EdgeTestFn = bool (*)(const DS_BaseSpriteProp&, const Particle&);

struct EdgeTests {
  EdgeTestFn past;
  EdgeTestFn crossing;
};

constexpr EdgeTests kEdgeTests[] = {
    {&Particle::IsPastTopEdge, &Particle::CrossesTopEdge},
    {&Particle::IsPastBottomEdge, &Particle::CrossesBottomEdge},
    {&Particle::IsPastLeftEdge, &Particle::CrossesLeftEdge},
    {&Particle::IsPastRightEdge, &Particle::CrossesRightEdge},
};

// A stored time in milliseconds as seconds.
float Seconds(UINT milliseconds) { return static_cast<float>(milliseconds * 0.001); }

}  // namespace

bool DS_BoundControl::Save(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  out->WriteInt(&mode.value);
  for (const MediaParamT<UINT>* value : {&fadeOutTime, &fadeInTime, &minimumLife, &maximumLife})
    out->WriteUInt(&value->value);
  return true;
}

bool DS_BoundControl::Read(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* in = *stream;
  ds_string className;
  DWORD version = 0;
  in->ReadString(&className);
  in->ReadULong(&version);
  in->ReadInt(&mode.value);
  for (MediaParamT<UINT>* value : {&fadeOutTime, &fadeInTime, &minimumLife, &maximumLife})
    in->ReadUInt(&value->value);
  return !in->Failed();
}

void DS_BoundControl::BindEdge(INT edgeIndex, const DS_BaseSpriteProp* owner) {
  edge = edgeIndex;
  pastTest = EdgeTest{};
  crossingTest = EdgeTest{};
  if (edgeIndex < kTop || edgeIndex > kRight) return;
  pastTest = EdgeTest{kEdgeTests[edgeIndex].past, owner};
  crossingTest = EdgeTest{kEdgeTests[edgeIndex].crossing, owner};
}

bool DS_BoundControl::Handle(const DS_BaseSpriteProp& owner, Particle& p) {
  if (p.touchedEdge != -1) {
    if (p.touchedEdge != edge) return false;
    HandleTouched(owner, p);
    return true;
  }
  if (mode.value == kBounce) return Bounce(p);
  if (mode.value == kBouncePause) return BounceRespawn(owner, p);
  if (mode.value != kWrap || !pastTest(p)) return false;
  if (p.alpha > 0.0f) {  // the fade-out begins
    p.touchedEdge = edge;
    return true;
  }
  // Faded out and paused: it comes back just inside the opposite bound, somewhere along it.
  const float left = owner.GetLeftPx(), right = owner.GetRightPx();
  const float top = owner.GetTopPx(), bottom = owner.GetBottomPx();
  switch (edge) {
    case kTop:
      p.position.y = bottom - 1.0f;
      p.position.x = RandFloat(left, right);
      break;
    case kBottom:
      p.position.y = top + 1.0f;
      p.position.x = RandFloat(left, right);
      break;
    case kLeft:
      p.position.x = right - 1.0f;
      p.position.y = RandFloat(top, bottom);
      break;
    case kRight:
      p.position.x = left + 1.0f;
      p.position.y = RandFloat(top, bottom);
      break;
    default:
      return false;
  }
  p.respawned = 1;
  p.touchedEdge = edge;
  return true;
}

bool DS_BoundControl::Bounce(Particle& p) {
  if (!crossingTest(p)) return false;
  Reverse(p);
  p.touchedEdge = edge;
  return true;
}

bool DS_BoundControl::BounceRespawn(const DS_BaseSpriteProp& owner, Particle& p) {
  if (!pastTest(p)) return false;
  Reverse(p);
  p.lifeEnd = PauseEnd(owner);
  p.paused = true;
  p.age = owner.animationTime;
  p.touchedEdge = edge;
  return true;
}

void DS_BoundControl::HandleTouched(const DS_BaseSpriteProp& owner, Particle& p) {
  const float step = owner.animationStep;
  // Along the axis across this edge: the coordinate, the half extent and the two bounds.
  float& along = Horizontal() ? p.position.x : p.position.y;
  const float half = Horizontal() ? p.halfWidth : p.halfHeight;
  const float low = Horizontal() ? owner.GetLeftPx() : owner.GetTopPx();
  const float high = Horizontal() ? owner.GetRightPx() : owner.GetBottomPx();
  switch (mode.value) {
    case kBouncePause:  // held just outside, within half its size of the bound
      if (high + half < along) along = high + half - 1.0f;
      if (low - half > along) along = low - half + 1.0f;
      p.age += step;
      if (p.lifeEnd < p.age) {
        p.paused = false;
        if (!pastTest(p)) p.touchedEdge = -1;
      }
      break;
    case kBounce:  // pushed back inside, so that it is free at once
      if (high - half < along) along = high - half - 1.0f;
      if (low + half > along) along = low + half + 1.0f;
      if (!crossingTest(p)) p.touchedEdge = -1;
      break;
    case kWrap:
      if (p.respawned == 0) {
        if (p.alpha > 0.0f) {
          p.alpha = fadeOutTime.value == 0 ? 0.0f : p.alpha - step * 1000.0f / static_cast<float>(fadeOutTime.value);
          p.alpha = std::max(p.alpha, 0.0f);
        } else {  // faded out: the pause begins, and the next frame moves it across
          p.touchedEdge = -1;
          p.lifeEnd = PauseEnd(owner);
          p.paused = true;
          p.age = owner.animationTime;
        }
      } else {  // moved across: waits, then fades in while it moves
        p.age += step;
        if (p.lifeEnd < p.age) {
          p.paused = false;
          if (p.alpha < 1.0f) {
            p.alpha = fadeInTime.value == 0 ? 1.0f : p.alpha + step * 1000.0f / static_cast<float>(fadeInTime.value);
            p.alpha = std::min(p.alpha, 1.0f);
          } else {
            p.touchedEdge = -1;
            p.respawned = 0;
          }
        }
      }
      break;
    default:
      break;
  }
}

void DS_BoundControl::Reverse(Particle& p) const {
  if (Horizontal())
    p.direction.x = -p.direction.x;
  else
    p.direction.y = -p.direction.y;
}

float DS_BoundControl::PauseEnd(const DS_BaseSpriteProp& owner) const {
  return owner.animationTime + RandFloat(Seconds(minimumLife.value), Seconds(maximumLife.value));
}
