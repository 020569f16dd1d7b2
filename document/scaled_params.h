// Scaled properties: a stored unsigned integer (what the author typed, a slider position) with a
// derived value offset + scale x integer beside it, kept in step by the property observing itself.
// The self-observer is the second observer, after the undo history, so every notified change has
// recomputed the derived value before any later observer runs.
#pragma once
#include <cstdint>
#include <type_traits>

#include <windows.h>

#include "document/iof_virtual.h"
#include "document/media_param_t.h"

namespace scaled_detail {

// The byte a derived value is stored in: truncated toward zero to a 32-bit integer, then its low
// eight bits (257.5 gives 257, stored as 1; stored documents rely on that wrap). A value beyond the
// 32-bit range, or not a number, gives 0 rather than undefined behaviour.
inline unsigned char TruncateToByte(float f) {
  if (!(f > -2147483648.0f && f < 2147483648.0f)) return 0;
  return static_cast<unsigned char>(static_cast<uint32_t>(static_cast<int32_t>(f)));
}

}  // namespace scaled_detail

template <class T>
class UINTSclaleTo : public MediaParamT<UINT>, public MediaControlT<MediaParamT<UINT>> {
  static_assert(std::is_same_v<T, float> || std::is_same_v<T, unsigned char>);

 public:
  UINTSclaleTo() {
    Attach(this);
    OnChange(nullptr);
  }
  UINTSclaleTo(const UINTSclaleTo& other)
      : MediaParamT<UINT>(), MediaControlT<MediaParamT<UINT>>(), scale(other.scale), offset(other.offset) {
    Attach(this);
    OnChange(nullptr);
    SetAndNotify(other.value);
  }
  UINTSclaleTo& operator=(const UINTSclaleTo& other) {
    scale = other.scale;
    offset = other.offset;
    SetAndNotify(other.value);
    OnChange(nullptr);
    return *this;
  }
  // Assignment of the integer (no observer told) with the derived value recomputed.
  UINTSclaleTo& operator=(UINT newValue) {
    MediaParamT<UINT>::operator=(newValue);
    OnChange(nullptr);
    return *this;
  }
  // The self-observer leaves the property before the property dies.
  ~UINTSclaleTo() override { Attach(nullptr); }

  // Recomputes the derived value, in single precision.
  void OnChange(MediaControl*) override {
    const float scaled = offset + scale * static_cast<float>(value);
    if constexpr (std::is_same_v<T, float>)
      derived = scaled;
    else
      derived = scaled_detail::TruncateToByte(scaled);
  }

  T derived{};
  float scale = 1.0f;
  float offset = 0.0f;
};

// Reads a stored value into a scaled property through set-and-notify, so that its derived value
// follows (a value equal to the current one changes nothing).
template <class T>
void ReadScaledValue(DS_IOF_Virtual* in, UINTSclaleTo<T>& property) {
  UINT value = property.value;
  in->ReadUInt(&value);
  property.SetAndNotify(value);
}

// A float setting of the flow descriptions: a UINTSclaleTo<float> under its own name.
template <class T>
class MediaFloat : public UINTSclaleTo<float> {
  static_assert(std::is_same_v<T, unsigned int>);

 public:
  using UINTSclaleTo<float>::operator=;
};

// A speed factor (derived) that also runs a clock: step = min(t - last, 0.2) x speed, where a time
// earlier than the last one gives no step.
class MediaSpeedParam : public UINTSclaleTo<float> {
 public:
  using UINTSclaleTo<float>::operator=;

  void Update(float t);

  float step = 0.0f;
  float accumulated = 0.0f;
  float last = 0.0f;
};
