// The background copy brush: the background shifted by a stored offset in picture pixels, optionally
// by one more whole picture in x or y.
#pragma once
#include "document/media_rectangle.h"
#include "objects/effect_brush.h"

class DS_BackgroundCopy : public DS_FX_Constructor {
 public:
  DS_BackgroundCopy();
  ~DS_BackgroundCopy() override = default;

  // Writes the "DS_BackgroundCopy" record, then the brush base record.
  bool Save(DS_IOF_Virtual** stream) override;
  // "offset" from the stored offsets, then the shared drawing step.
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_BackgroundCopy(*this); }

  // The fields after the header, then the brush base record.
  void ReadFields(DS_IOF_Virtual** stream);

  // Only the two further values are used: the x and y offsets.
  MediaRectangle rectangle;
  MediaParamT<int> yWrap;
  MediaParamT<int> xWrap;

 protected:
  DS_BackgroundCopy(const DS_BackgroundCopy& other) = default;
};
