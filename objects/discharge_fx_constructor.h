// The electric bolt: a chain of segments from a start point to an end point, one particle per
// segment, drawn with a coloured glow. Every 0.1 second of animation time a new random shape is
// made; in between every segment morphs from the shape being left toward the next one, and each
// segment flickers between the two halves of the bolt picture.
#pragma once
#include <d3dx9math.h>

#include <windows.h>

#include <vector>

#include "document/class_registry.h"
#include "document/iof_virtual.h"
#include "document/media_param_t.h"
#include "document/scaled_params.h"
#include "render/particle_fx_ctrl.h"

// One segment of a bolt shape.
struct BoltPoint {
  D3DXVECTOR3 centre{0.0f, 0.0f, 0.0f};
  D3DXVECTOR3 direction{0.0f, 0.0f, 0.0f};  // unit length (zero when there is no way to go)
  D3DXVECTOR3 normal{0.0f, 0.0f, 0.0f};     // unit length, square to the line from start to end
  float length = 0.0f;
};

class DS_DischargeFXConstructor : public DS_GlowEffectCtrl {
 public:
  // The most segments a bolt has: across a 2048-pixel picture a segment would then be 2 pixels
  // long, and every particle's start makes both shapes anew, so a larger stored count would only
  // cost time (0xFFFFFFFF would not even fit in memory).
  static constexpr UINT kMaxSegments = 1024;

  DS_DischargeFXConstructor();
  ~DS_DischargeFXConstructor() override = default;

  // The record "DS_DischargeFXConstructor", version 1: the points and the four settings, then the
  // glow record.
  bool Save(DS_IOF_Virtual** stream) override;
  // Both shapes are sized to the particle count (at most kMaxSegments) and made anew; the particle
  // is placed by its first update.
  void InitParticle(Particle& p) override;
  // Particle i takes segment i of the blend of the two shapes.
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;
  // The bolt picture chosen by the texture style, then the effect and both pictures.
  void LoadResources() override;
  // The segment cursor starts over; after 0.1 second of animation time the next shape becomes the
  // current one and a new next shape is made.
  void PreUpdate() override;

  // The image link := the bolt picture of the shared library that the texture style selects,
  // whatever the record held.
  void LoadLinks();
  // A new random shape of bolt.size() segments from the start point to the end point.
  void RegenerateBolt(std::vector<BoltPoint>& bolt) const;
  // current[k] + (next[k] - current[k]) x f, member by member; f is not clamped and the direction
  // is not normalised again.
  BoltPoint BlendPoint(size_t k, float f) const;

  // The fields straight in, the three scaled settings set and notified; then the glow record, its
  // particle count held at kMaxSegments. False once the stream has failed.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);

  MediaParamT<D3DXVECTOR3> startPoint{D3DXVECTOR3(0.0f, 0.0f, 0.0f)};  // picture pixels
  MediaParamT<D3DXVECTOR3> endPoint{D3DXVECTOR3(0.0f, 0.0f, 0.0f)};
  UINTSclaleTo<float> jitter;            // sideways turn relative to the remaining distance
  MediaParamT<INT> textureStyle{1};      // nonzero: picture 95, zero: picture 98
  UINTSclaleTo<float> flickerInterval;   // least scene time between two picture-half changes
  UINTSclaleTo<float> morphRate;         // blend factor gained per second since the last shape
  std::vector<BoltPoint> currentBolt;
  std::vector<BoltPoint> nextBolt;
  UINT segmentCursor = 0;
  float lastNewShape = 0.0f;

 protected:
  DS_DischargeFXConstructor(const DS_DischargeFXConstructor& other) = default;
};

template <>
void IOF_ReadFields<DS_DischargeFXConstructor>(DS_IOF_Virtual** stream, DWORD version,
                                               DS_DischargeFXConstructor& bolt);
