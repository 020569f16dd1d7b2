// The underwater brush: the whole picture wobbles as if seen through water, its effect moving the
// background lookup by a wave whose spatial frequency, amplitude and phase the brush sets each frame.
// Only the underwater layer holds one, embedded, and reads its record; it keeps the whole brush
// interface all the same.
#pragma once
#include <memory>

#include "document/scaled_params.h"
#include "objects/effect_brush.h"

class DS_UnderwaterFX : public DS_FX_Constructor {
 public:
  DS_UnderwaterFX();
  ~DS_UnderwaterFX() override = default;

  // Writes the "DS_UnderwaterFX" record, then the brush base record.
  bool Save(DS_IOF_Virtual** stream) override;
  // "frequency", "amplitude" and "time", then the layer's screen quad through the effect.
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_UnderwaterFX(*this); }

  // The base brush's Assign, then both properties with their scales and offsets, each notifying.
  DS_UnderwaterFX& operator=(const DS_UnderwaterFX& source);

  // The fields after the header: amplitude, frequency, then a whole "DS_FX_Constructor" record.
  void ReadFields(DS_IOF_Virtual** stream);

  UINTSclaleTo<float> amplitude;  // "amplitude", in picture widths and heights
  UINTSclaleTo<float> frequency;  // its reciprocal is the wave's spatial frequency

 protected:
  // Every field; the effect and the mask with one reference more each.
  DS_UnderwaterFX(const DS_UnderwaterFX& other) = default;
};

// The stored record "DS_UnderwaterFX", version 1; false when the stream failed.
bool WriteUnderwaterFXRecord(DS_IOF_Virtual** stream, DS_UnderwaterFX& brush);
// Reads the class name (not compared) and the version (not used), then the fields into a brush with
// its defaults. The caller checks the stream for failure.
std::unique_ptr<DS_UnderwaterFX> ReadUnderwaterFXObject(DS_IOF_Virtual** stream);
