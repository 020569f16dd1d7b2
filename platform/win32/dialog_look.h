// The plain classic look the dialog controls are drawn in: its colours, and a canvas that places a
// control's drawing (in the control's own coordinates) into the picture of its dialog.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include <windows.h>

#include "platform/win32/device_context.h"

namespace win32::look {

inline constexpr uint32_t kFace = 0xC0C0C0;
inline constexpr uint32_t kHighlight = 0xFFFFFF;
inline constexpr uint32_t kLight = 0xDFDFDF;
inline constexpr uint32_t kShadow = 0x808080;
inline constexpr uint32_t kDarkShadow = 0x000000;
inline constexpr uint32_t kWindow = 0xFFFFFF;
inline constexpr uint32_t kText = 0x000000;
inline constexpr uint32_t kGreyText = 0x808080;
inline constexpr uint32_t kSelection = 0x000080;
inline constexpr uint32_t kSelectionText = 0xFFFFFF;

// The text without its mnemonic markers: "&x" shows as "x" and "&&" as "&".
std::u16string WithoutPrefixes(std::u16string_view text);

class Canvas {
 public:
  // Draws on `dc` (whose clip is in picture coordinates) with the control's origin at `origin`.
  Canvas(DeviceContext dc, POINT origin, int fontPixels) : dc_(std::move(dc)), origin_(origin), font_(fontPixels) {}

  int FontPixels() const { return font_; }
  void Fill(const RECT& rect, uint32_t colour);
  void Pixel(int x, int y, uint32_t colour);
  // One-pixel lines along the inside of the rectangle: top and left in one colour, bottom and right in
  // the other.
  void Edge(const RECT& rect, uint32_t topLeft, uint32_t bottomRight);
  void Raised(const RECT& rect);  // a button's two-pixel edge
  void Sunken(const RECT& rect);  // a field's two-pixel edge
  // The dotted rectangle that shows the keyboard focus.
  void FocusRect(const RECT& rect);
  // Text without its mnemonic markers; disabled text is grey with a white relief.
  void Text(std::u16string_view text, RECT rect, UINT format, bool enabled, uint32_t colour = kText);

 private:
  RECT Place(const RECT& rect) const;
  DeviceContext dc_;
  POINT origin_;
  int font_;
};

}  // namespace win32::look
