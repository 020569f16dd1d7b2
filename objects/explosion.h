// A looping explosion: one effect-drawn quad that waits, grows in, holds, fades through a third
// phase and vanishes for a pause before starting over (durations in milliseconds). Its noise
// texture drifts with its own clock and changes its shift at every whole second of animation time;
// the shifts come from a seeded sequence that replays the same pairs in every loop and every run.
#pragma once
#include <d3d9.h>

#include <windows.h>

#include "document/class_registry.h"
#include "document/iof_virtual.h"
#include "document/media_color.h"
#include "document/media_direction.h"
#include "document/media_param_t.h"
#include "document/scaled_params.h"
#include "objects/stat_base_fx_ctrl.h"
#include "document/com_holder.h"

class DS_ExplosionConstructor : public DS_StatBaseFXCtrl {
 public:
  // Noise scales 0.79, 0.15, 0.42, noise speed 0.25, sprite size 250 and speed 100 (both told).
  DS_ExplosionConstructor();
  ~DS_ExplosionConstructor() override = default;

  // The record "DS_ExplosionConstructor", version 1, then the static effect level.
  bool Save(DS_IOF_Virtual** stream) override;
  // When the slide becomes current the loop and the shift replay start again.
  void Restart() override;
  // Advances the loop (once per particle per frame) and places and sizes the particle.
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;
  // The effect, the gradient (first picture of the image link), the noise (first picture of the
  // mask link), then the first noise shift.
  void LoadResources() override;
  // Technique "Main" with the colours, textures, noise shifts, scales, time and phases.
  void SetEffectParameters(DS_ABRender* layer) override;

  bool SaveBase(DS_IOF_Virtual** stream) const;
  // Scales and speed are set and told (their derived values follow); the rest is stored directly.
  // False once the stream has failed.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);

  // The next shift: a fresh random pair, or, replaying, the next pair of the sequence of the seed.
  void NextNoiseShift();

  // The two phase values of the effect at the current timeline.
  float FirstPhase() const;
  float ThirdPhase() const;

  UINTSclaleTo<float> noiseScale1;
  UINTSclaleTo<float> noiseScale2;
  UINTSclaleTo<float> noiseScale3;
  MediaDirection noiseDirection{0u};  // degrees
  MediaSpeedParam noiseSpeed;         // clock of the noise drift
  MediaParamT<UINT> firstPhase{0};    // milliseconds
  MediaParamT<UINT> secondPhase{0};
  MediaParamT<UINT> thirdPhase{0};
  MediaParamT<UINT> delay{0};         // before the first phase
  MediaParamT<UINT> pause{0};         // after the third phase
  MediaParamT<UINT> seed{0};
  MediaParamT<INT> randomShifts{0};   // non-zero: fresh draws, no replay
  MediaColor secondColor{0u};         // "color2", 0x00BBGGRR
  ComHolder<IDirect3DTexture9> gradientTexture;
  ComHolder<IDirect3DTexture9> noiseTexture;
  float currentShift[2] = {0.0f, 0.0f};
  float nextShift[2] = {0.0f, 0.0f};
  float lastWholeTime = 0.0f;  // whole part of the animation time at the last shift change
  INT shiftCount = 1;          // pairs the next replay draws
  float timeline = 0.0f;       // milliseconds since the loop started

 protected:
  // Every property, both textures (one more reference each), shifts, last whole time, shift count
  // and timeline; the direction's vectors are recomputed from its angle.
  DS_ExplosionConstructor(const DS_ExplosionConstructor& other);

 private:
  // Loop, shift replay and noise clock back to their start.
  void RestartLoop();

  // The particle whose update advances the loop: with several particles the loop still runs once
  // per frame. Compared only, never read; a copy chooses its own.
  const Particle* timelineParticle_ = nullptr;
};

template <>
void IOF_ReadFields<DS_ExplosionConstructor>(DS_IOF_Virtual** stream, DWORD version,
                                             DS_ExplosionConstructor& explosion);
