// A four-vertex quad with one texture: V = DX_V::PWCT for screen quads (pixels, pre-transformed),
// V = DX_V::PT for world quads. Built empty: no buffer, no texture.
#pragma once
#include <concepts>

#include "render/simple_mesh.h"
#include "document/texture_entry.h"

template <class V>
concept ScreenVertex = std::same_as<V, DX_V::PWCT>;
template <class V>
concept WorldVertex = std::same_as<V, DX_V::PT>;

template <class V>
class TexturedQuad : public DS_SimpleMesh<V> {
 public:

  // Binds the texture, the quad's format and its buffer; the caller then draws the strip.
  void PrepareDraw();

  // Makes this quad's texture a managed copy of the source's top level at (128 << shift) pixels
  // square, in a format of D3DX's choosing. No copy (and no texture) for a shift outside 0 to 6.
  void SetSquareTextureCopy(int shift, IDirect3DTexture9* source);

  // World quads.
  // A new buffer with the four vertices x, y, z, u, v in order.
  void SetVertices(const float vertices[20]) requires WorldVertex<V>;
  // Rewrites x, y, z of the four vertices; texture coordinates stay.
  void SetPositions(const float positions[12]) requires WorldVertex<V>;
  // The entry's texture, and positions covering (0, 0)-(width, height) at z 0.
  void SetTextureEntry(const TextureEntry& entry) requires WorldVertex<V>;

  // Screen quads.
  // The executable's own "DDS" resource `id` (one level) as a white square two thirds of the
  // back buffer's height, centred; without the resource the square is built untextured.
  void LoadResourceQuad(int id) requires ScreenVertex<V>;
  // Alpha of all four colours := trunc(k x a); RGB stays.
  void SetAlpha(BYTE a, float k) requires ScreenVertex<V>;
  // Takes the texture (one more reference), a new buffer with the corners, every colour white.
  void SetTextureAndCorners(IDirect3DTexture9* source, const QuadCorners& quad) requires ScreenVertex<V>;
  // Asks for the own resource 0, which no executable holds, so the quad is untextured; then as above.
  void SetCornersOwnResource0(const QuadCorners& quad) requires ScreenVertex<V>;
  // Rewrites positions and texture coordinates of the existing buffer; colours stay.
  void UpdateCorners(const QuadCorners& quad) requires ScreenVertex<V>;

  ComHolder<IDirect3DTexture9> texture;

 private:
  void BuildWhiteQuad(const QuadCorners& quad) requires ScreenVertex<V>;
};
