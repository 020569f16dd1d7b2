#include "objects/explosion.h"

#include <algorithm>
#include <cmath>

#include "document/doc_res_manager.h"
#include "render/particle.h"
#include "render/random.h"
#include "document/texture_set.h"

namespace {

void SetScale(UINTSclaleTo<float>& property, UINT value, float scale, float offset) {
  property.scale = scale;
  property.offset = offset;
  property.SetAndNotify(value);
  property.OnChange(nullptr);
}

// The first texture of the set a link names, with one more reference; none when nothing loads.
ComHolder<IDirect3DTexture9> FirstTexture(const DS_ImageFileLink& link) {
  const TextureSet* set = g_DocResManager ? g_DocResManager->GetTextureSet(link) : nullptr;
  if (!set || set->textures.empty()) return {};
  return set->textures.front();
}

// Bytes 0, 1, 2 of a stored colour as fractions of 255.
void ColorFractions(DWORD stored, float out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = static_cast<float>((stored >> (8 * i)) & 0xFFu) / 255.0f;
}

}  // namespace

DS_ExplosionConstructor::DS_ExplosionConstructor() {
  SetScale(noiseScale1, 21u, -0.01f, 1.0f);
  SetScale(noiseScale2, 15u, 0.01f, 0.0f);
  SetScale(noiseScale3, 42u, 0.01f, 0.0f);
  SetScale(noiseSpeed, 50u, 0.005f, 0.0f);
  noiseDirection.GetVectors();
  size.SetAndNotify(250u);
  speed.SetAndNotify(100u);
}

DS_ExplosionConstructor::DS_ExplosionConstructor(const DS_ExplosionConstructor& other)
    : DS_StatBaseFXCtrl(other),
      noiseScale1(other.noiseScale1),
      noiseScale2(other.noiseScale2),
      noiseScale3(other.noiseScale3),
      noiseDirection(other.noiseDirection),
      noiseSpeed(other.noiseSpeed),
      firstPhase(other.firstPhase),
      secondPhase(other.secondPhase),
      thirdPhase(other.thirdPhase),
      delay(other.delay),
      pause(other.pause),
      seed(other.seed),
      randomShifts(other.randomShifts),
      secondColor(other.secondColor),
      gradientTexture(other.gradientTexture),
      noiseTexture(other.noiseTexture),
      lastWholeTime(other.lastWholeTime),
      shiftCount(other.shiftCount),
      timeline(other.timeline) {
  std::copy(other.currentShift, other.currentShift + 2, currentShift);
  std::copy(other.nextShift, other.nextShift + 2, nextShift);
  // The angle is stored alone; its vectors follow it here.
  noiseDirection.GetVectors();
}

DS_ParticleSystemCtrl* DS_ExplosionConstructor::Clone() const { return new DS_ExplosionConstructor(*this); }

void DS_ExplosionConstructor::RestartLoop() {
  timeline = 0.0f;
  shiftCount = 1;
  currentShift[0] = currentShift[1] = 0.0f;
  nextShift[0] = nextShift[1] = 0.0f;
  noiseSpeed.accumulated = 0.0f;
  noiseSpeed.last = 0.0f;
}

void DS_ExplosionConstructor::Restart() { RestartLoop(); }

void DS_ExplosionConstructor::UpdateParticle(Particle& p) {
  const float f = static_cast<float>(firstPhase.value);
  const float s = static_cast<float>(secondPhase.value);
  const float t3 = static_cast<float>(thirdPhase.value);
  const float d = static_cast<float>(delay.value);
  const float pa = static_cast<float>(pause.value);

  // Every particle of the element is updated each frame; only the first one seen moves the loop on,
  // so that a count above 1 does not make the explosion run that many times too fast.
  if (!timelineParticle_) timelineParticle_ = &p;
  if (&p == timelineParticle_) {
    timeline += realStep * 1000.0f;
    noiseSpeed.Update(animationTime);
    if (timeline > f + s + t3 + d + pa) RestartLoop();
  }

  p.position = position.value;
  float grow = 1.0f;
  if (timeline < f + d) {
    // Before the delay has passed the quad is hidden; a first phase of 0 has no progress to make,
    // so the progress stays 0 there instead of dividing by zero.
    const float progress = f > 0.0f ? (timeline - d) / f : 0.0f;
    // Below 0 (still in the delay) the particle is fully transparent rather than wrapping its byte.
    p.alpha = std::clamp(progress * 5.0f, 0.0f, 1.0f);
    Particle::ApplyColor(*this, p);
    grow = 0.25f + 0.75f * progress;
  }
  float half = static_cast<float>(size.value / 2u) * grow;
  if (timeline > f + s + t3 + d || timeline < d) half = 0.0f;
  p.halfWidth = p.halfHeight = half;
}

float DS_ExplosionConstructor::FirstPhase() const {
  const float f = static_cast<float>(firstPhase.value);
  const float d = static_cast<float>(delay.value);
  if (!(timeline < f + d)) return 0.0f;
  const float progress = f > 0.0f ? (timeline - d) / f : 0.0f;
  return 2.0f * (1.0f - progress);
}

float DS_ExplosionConstructor::ThirdPhase() const {
  const float f = static_cast<float>(firstPhase.value);
  const float s = static_cast<float>(secondPhase.value);
  const float t3 = static_cast<float>(thirdPhase.value);
  const float d = static_cast<float>(delay.value);
  // With a third phase of 0 the quad is hidden as soon as the phase would start; the phase is
  // then taken as ended instead of dividing by zero.
  if (!(timeline > f + s + d)) return 0.0f;
  if (!(t3 > 0.0f)) return 1.0f;
  return (timeline - f - s - d) / t3;
}

void DS_ExplosionConstructor::LoadResources() {
  DS_StatBaseFXCtrl::LoadResources();
  gradientTexture = FirstTexture(imageLink);
  noiseTexture = FirstTexture(maskLink);
  NextNoiseShift();
}

void DS_ExplosionConstructor::NextNoiseShift() {
  // The system's own generator, so that a replay looks the same on every machine.
  if (randomShifts.value != 0) {
    nextShift[0] = static_cast<float>(Rand()) / 32767.0f;
    nextShift[1] = static_cast<float>(Rand()) / 32767.0f;
    return;
  }
  SRand(seed.value);
  for (INT i = 0; i < shiftCount; ++i) {
    nextShift[0] = static_cast<float>(Rand()) / 32767.0f;
    nextShift[1] = static_cast<float>(Rand()) / 32767.0f;
  }
  ++shiftCount;
}

void DS_ExplosionConstructor::SetEffectParameters(DS_ABRender*) {
  ID3DXEffect* fx = effect.Get();
  if (!fx) return;  // an effect that could not be made draws nothing

  float color1[3];
  float color2[3];
  ColorFractions(color.value, color1);
  ColorFractions(secondColor.value, color2);
  const float noiseParams[3] = {noiseScale1.derived, noiseScale2.derived, noiseScale3.derived};

  float whole = 0.0f;
  const float frac = std::modf(animationTime, &whole);
  if (lastWholeTime < whole) {
    currentShift[0] = nextShift[0];
    currentShift[1] = nextShift[1];
    NextNoiseShift();
    lastWholeTime = whole;
  }

  const float a = noiseSpeed.accumulated;
  const float dx = -noiseDirection.xAxis.x * a;
  const float dy = noiseDirection.xAxis.y * a;
  const float noiseShift[4] = {currentShift[0] + dx, currentShift[1] + dy, nextShift[0] + dx, nextShift[1] + dy};
  const float time[2] = {frac, 1.0f - frac};
  const float phase3 = ThirdPhase();
  const float phase3rd[2] = {phase3, 1.0f - phase3};

  fx->SetTechnique("Main");
  fx->SetTexture("GradientTex", gradientTexture.Get());
  fx->SetTexture("NoiseTex", noiseTexture.Get());
  fx->SetFloatArray("color1", color1, 3);
  fx->SetFloatArray("color2", color2, 3);
  fx->SetFloatArray("noise_shift", noiseShift, 4);
  fx->SetFloatArray("noise_params", noiseParams, 3);
  fx->SetFloatArray("time", time, 2);
  fx->SetFloatArray("phase_3rd", phase3rd, 2);
  fx->SetFloat("phase_1st", FirstPhase());
}
