// The stored behaviour of one edge of a flow layer's bounds: a particle that leaves through the edge
// either fades out, waits and fades in again at the opposite edge (mode 0), bounces back (mode 1),
// or waits just outside and then comes back (mode 2). Any other mode leaves the particles alone.
// A control keeps its state in the particle (touched edge, respawned, pause), so one control serves
// every particle of its layer.
#pragma once
#include <windows.h>

#include "document/iof_item.h"
#include "document/iof_virtual.h"
#include "document/media_param_t.h"

class DS_BaseSpriteProp;
struct Particle;

class DS_BoundControl : public DS_IOF_Item {
 public:
  // An edge test bound to the owning description, whose bounds it reads at each call. An unbound
  // test is false.
  struct EdgeTest {
    bool (*test)(const DS_BaseSpriteProp&, const Particle&) = nullptr;
    const DS_BaseSpriteProp* owner = nullptr;
    bool operator()(const Particle& p) const { return test && owner && test(*owner, p); }
  };

  enum Edge : INT { kTop = 0, kBottom = 1, kLeft = 2, kRight = 3 };
  enum Mode : INT { kWrap = 0, kBounce = 1, kBouncePause = 2 };

  DS_BoundControl() = default;
  // The edge, both bindings and the five stored values; the owner re-binds a copy to itself.
  DS_BoundControl(const DS_BoundControl& other) = default;
  DS_BoundControl& operator=(const DS_BoundControl& other) = default;
  ~DS_BoundControl() override = default;

  // The record "DS_BoundControl" version 1: mode, fade-out, fade-in, minimum and maximum life.
  bool Save(DS_IOF_Virtual** stream) override;
  // Reads the header (not examined) and the five values, telling nobody. False once the stream failed.
  bool Read(DS_IOF_Virtual** stream);

  // Takes the edge and binds its past and crossing tests to `owner`. An index other than 0 to 3
  // binds nothing: that control never acts.
  void BindEdge(INT edgeIndex, const DS_BaseSpriteProp* owner);

  // One frame of this edge's treatment of one particle, timed by the owner's animation clock; true
  // when this control has dealt with the particle (the owner then asks no further control).
  bool Handle(const DS_BaseSpriteProp& owner, Particle& p);
  // The particle this edge is already handling: the fades and pauses go on; always handled.
  void HandleTouched(const DS_BaseSpriteProp& owner, Particle& p);
  // Mode 1: a particle reaching beyond the bound turns back.
  bool Bounce(Particle& p);
  // Mode 2: a particle entirely beyond the bound turns back and pauses for a random time.
  bool BounceRespawn(const DS_BaseSpriteProp& owner, Particle& p);

  INT edge = -1;
  EdgeTest pastTest;
  EdgeTest crossingTest;
  MediaParamT<INT> mode{kWrap};
  MediaParamT<UINT> fadeOutTime{0};   // milliseconds
  MediaParamT<UINT> fadeInTime{0};    // milliseconds
  MediaParamT<UINT> minimumLife{0};   // milliseconds: shortest pause
  MediaParamT<UINT> maximumLife{0};   // milliseconds: longest pause

 private:
  bool Horizontal() const { return edge == kLeft || edge == kRight; }
  // The direction component across this edge turns round.
  void Reverse(Particle& p) const;
  // Pause end: now plus a random time between the two lives.
  float PauseEnd(const DS_BaseSpriteProp& owner) const;
};
