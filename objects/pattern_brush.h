// The pattern brushes: a tiled pattern picture laid over the background, repeated at a stored size,
// mirrored, rotated and shifted as stored, and stepped frame by frame on the brush clock when the
// picture has several frames. DS_PatternBrushC is the same brush under another stored class name.
#pragma once
#include "document/image_file_link.h"
#include "objects/effect_brush.h"
#include "document/texture_set.h"

class DS_PatternBrush : public DS_FX_Constructor {
 public:
  DS_PatternBrush();
  ~DS_PatternBrush() override = default;

  // Writes the "DS_PatternBrush" record, then the brush base record.
  bool Save(DS_IOF_Virtual** stream) override;
  // The base brush's effect and mask, then the pattern frames.
  void Load(MaskHolder* maskHolder) override;
  // The clock, then at most one frame step.
  void Update(float time) override;
  // The pattern, its tile shape, offset and coordinate transform, then the shared drawing step;
  // nothing at all without a pattern.
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_PatternBrush(*this); }

  // The frames of the pattern link (a picture package for a ".dll" link), from the first frame on.
  void LoadPattern();

  // Fields 2 to 9 of the record (after its header).
  void ReadFields(DS_IOF_Virtual** stream);
  // The record's own header (not examined), then ReadFields.
  void ReadHeaderAndFields(DS_IOF_Virtual** stream);

  DS_ImageFileLink patternLink;
  MediaParamT<int> flipY;
  MediaParamT<int> flipX;
  MediaParamT<unsigned int> angle;  // degrees
  UINTSclaleTo<float> patternScale;
  UINTSclaleTo<float> offsetX;
  UINTSclaleTo<float> offsetY;
  // A copy of the link's set: one reference held per texture.
  TextureSet frames;
  DWORD frameIndex = 0;
  float lastSwitch = 0.0f;  // clock time of the last frame change

 protected:
  DS_PatternBrush(const DS_PatternBrush& other) = default;
};

class DS_PatternBrushC : public DS_PatternBrush {
 public:
  DS_PatternBrushC() = default;
  ~DS_PatternBrushC() override = default;

  // "DS_PatternBrushC" version 1, then the whole "DS_PatternBrush" record.
  bool Save(DS_IOF_Virtual** stream) override;
  DS_FX_Constructor* Clone() const override { return new DS_PatternBrushC(*this); }

 protected:
  DS_PatternBrushC(const DS_PatternBrushC& other) = default;
};
