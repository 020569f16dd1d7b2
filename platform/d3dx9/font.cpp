// ID3DXFont: lines of text rasterised by FreeType and blended into the device's render target 0 the
// way a sprite with alpha blending draws them (source alpha and one minus source alpha, on every
// channel), clipped to the rectangle and the target.
#include <d3dx9core.h>

#include <algorithm>
#include <vector>

#include "platform/d3dx9/com_object.h"
#include "platform/d3dx9/font_face.h"

namespace {

// The font honours DT_CENTER, DT_RIGHT, DT_VCENTER and DT_BOTTOM (DT_LEFT and DT_TOP are 0). Text is
// never wrapped; each line break starts a new line, and vertical alignment places the whole block.

struct Target {
  BYTE* bits = nullptr;
  INT pitch = 0;
  LONG width = 0;
  LONG height = 0;
};

BYTE Blend(BYTE src, BYTE dst, unsigned alpha) {
  return static_cast<BYTE>((src * alpha + dst * (255 - alpha) + 127) / 255);
}

void BlendPixel(const Target& target, LONG x, LONG y, D3DCOLOR color, unsigned alpha) {
  DWORD* pixel = reinterpret_cast<DWORD*>(target.bits + y * target.pitch) + x;
  const DWORD dst = *pixel;
  DWORD out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= DWORD{Blend(static_cast<BYTE>(color >> shift), static_cast<BYTE>(dst >> shift), alpha)} << shift;
  *pixel = out;
}

class Font final : public d3dx9::ComObject<ID3DXFont> {
 public:
  Font(IDirect3DDevice9* device, d3dx9::FontFace face) : device_(device), face_(std::move(face)) {
    device_->AddRef();
  }

  INT STDMETHODCALLTYPE DrawTextW(LPD3DXSPRITE, LPCWSTR text, INT count, LPRECT rect, DWORD format,
                                  D3DCOLOR color) override {
    if (!text || !rect) return 0;
    std::u16string all = count < 0 ? std::u16string(text) : std::u16string(text, static_cast<size_t>(count));
    std::vector<std::u16string> lines = Lines(all);
    const FT_Size_Metrics& metrics = face_->size->metrics;
    const LONG ascent = static_cast<LONG>(metrics.ascender >> 6);
    const LONG lineHeight = static_cast<LONG>((metrics.ascender - metrics.descender) >> 6);
    const LONG blockHeight = lineHeight * static_cast<LONG>(lines.size());
    LONG top = rect->top;
    if (format & DT_VCENTER)
      top = rect->top + (rect->bottom - rect->top - blockHeight) / 2;
    else if (format & DT_BOTTOM)
      top = rect->bottom - blockHeight;

    IDirect3DSurface9* surface = nullptr;
    if (FAILED(device_->GetRenderTarget(0, &surface)) || !surface) return blockHeight;
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    surface->GetDesc(&desc);
    const bool drawable = desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8;
    if (drawable && SUCCEEDED(surface->LockRect(&locked, nullptr, 0)) && locked.pBits) {
      Target target{static_cast<BYTE*>(locked.pBits), locked.Pitch, static_cast<LONG>(desc.Width),
                    static_cast<LONG>(desc.Height)};
      RECT clip{std::max<LONG>(rect->left, 0), std::max<LONG>(rect->top, 0), std::min<LONG>(rect->right, target.width),
                std::min<LONG>(rect->bottom, target.height)};
      for (size_t i = 0; i < lines.size(); ++i) {
        // A line wholly above or below the clip lights nothing: it is neither measured nor drawn, so
        // a long text costs only what can be seen of it.
        const LONG baseline = top + static_cast<LONG>(i) * lineHeight + ascent;
        if (baseline + lineHeight < clip.top || baseline - 2 * lineHeight >= clip.bottom) continue;
        const LONG width = LineWidth(lines[i]);
        LONG left = rect->left;
        if (format & DT_CENTER)
          left = rect->left + (rect->right - rect->left - width) / 2;
        else if (format & DT_RIGHT)
          left = rect->right - width;
        DrawLine(target, clip, lines[i], left, baseline, color);
      }
      surface->UnlockRect();
    }
    surface->Release();
    return blockHeight;
  }

  // The glyphs live in system memory: nothing to give up or remake with the device.
  HRESULT STDMETHODCALLTYPE OnLostDevice() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnResetDevice() override { return S_OK; }

 private:
  ~Font() override { device_->Release(); }

  static std::vector<std::u16string> Lines(const std::u16string& text) {
    std::vector<std::u16string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
      if (text[i] == u'\n' || text[i] == u'\r')
        lines.emplace_back();
      else
        lines.back() += text[i];
    }
    return lines;
  }

  bool Load(char16_t c, FT_Int32 flags) { return FT_Load_Char(face_.get(), c, flags) == 0; }

  LONG LineWidth(const std::u16string& line) {
    LONG width = 0;
    for (char16_t c : line)
      if (Load(c, FT_LOAD_DEFAULT)) width += static_cast<LONG>(face_->glyph->advance.x >> 6);
    return width;
  }

  void DrawLine(const Target& target, const RECT& clip, const std::u16string& line, LONG penX, LONG baseline,
                D3DCOLOR color) {
    const unsigned colorAlpha = color >> 24;
    // A glyph's picture stays within an em of its pen position: glyphs further left of the clip are
    // only advanced over, and the line stops once the pen is an em past the clip's right edge.
    const LONG em = static_cast<LONG>(face_->size->metrics.x_ppem);
    for (char16_t c : line) {
      if (penX - em >= clip.right) break;
      if (penX + 2 * em < clip.left) {
        if (Load(c, FT_LOAD_DEFAULT)) penX += static_cast<LONG>(face_->glyph->advance.x >> 6);
        continue;
      }
      if (!Load(c, FT_LOAD_RENDER)) continue;
      const FT_GlyphSlot glyph = face_->glyph;
      const FT_Bitmap& bitmap = glyph->bitmap;
      const LONG x0 = penX + glyph->bitmap_left;
      const LONG y0 = baseline - glyph->bitmap_top;
      if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        for (unsigned row = 0; row < bitmap.rows; ++row) {
          const LONG y = y0 + static_cast<LONG>(row);
          if (y < clip.top || y >= clip.bottom) continue;
          const unsigned char* coverage = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
          for (unsigned col = 0; col < bitmap.width; ++col) {
            const LONG x = x0 + static_cast<LONG>(col);
            if (x < clip.left || x >= clip.right || coverage[col] == 0) continue;
            BlendPixel(target, x, y, color, (colorAlpha * coverage[col] + 127) / 255);
          }
        }
      }
      penX += static_cast<LONG>(glyph->advance.x >> 6);
    }
  }

  IDirect3DDevice9* device_;
  d3dx9::FontFace face_;
};

}  // namespace

HRESULT WINAPI D3DXCreateFontW(LPDIRECT3DDEVICE9 device, INT height, UINT, UINT weight, UINT, BOOL italic, DWORD,
                               DWORD, DWORD, DWORD, LPCWSTR faceName, LPD3DXFONT* font) {
  if (!font) return D3DERR_INVALIDCALL;
  *font = nullptr;
  if (!device) return D3DERR_INVALIDCALL;
  d3dx9::FontFace face = d3dx9::OpenFontFace(faceName ? faceName : u"", height, weight, italic != FALSE);
  if (!face) return E_FAIL;
  *font = new Font(device, std::move(face));
  return S_OK;
}
