// The flame layer: a 2D light layer that shows its picture with a band of flames standing on the
// picture's bottom edge and, while the distortion is on, a heat shimmer over the whole layer. The
// flames are an embedded fire brush drawn through its technique "AsEffect" on the layer's own fire
// quad; the shimmer is a post effect that draws the layer's render target again through a scrolling
// bump map. It lives with the scene objects because it embeds their fire brush.
#pragma once
#include <d3d9.h>
#include <d3dx9effect.h>

#include "document/file_link.h"
#include "document/image_file_link.h"
#include "document/media_param_t.h"
#include "document/scaled_params.h"
#include "objects/fire_brush.h"
#include "document/com_holder.h"
#include "document/render_target_pair.h"
#include "render/simple_mesh.h"
#include "document/vertex_formats.h"
#include "slideshow/light_2d.h"

// The heat shimmer: the layer as drawn, looked up again at coordinates moved by a scrolling bump map.
class HeatDistortion {
 public:
  HeatDistortion();
  HeatDistortion(const HeatDistortion&) = delete;
  HeatDistortion& operator=(const HeatDistortion&) = delete;

  // The quad, the bump texture and the effect; whether an effect was obtained.
  bool Init();
  // The quad over (0, 0)-(width, height) in picture pixels; the aspect becomes height / width.
  void SetSize(float width, float height);
  // Advances the clock and sets the effect's strength, offset and bump scale (only with an effect).
  void Update(float time);
  // Draws the quad through the effect from the pair's current texture (only with an effect).
  void Draw(RenderTargetPair& pair);

  DS_SimpleMesh<DX_V::PT> quad;
  DS_ImageFileLink bumpLink;
  DS_HLSLEffectFile effectLink;
  MediaSpeedParam speed;
  UINTSclaleTo<float> strength;
  UINTSclaleTo<float> bumpScale;
  // Declared so that the effect is released before the bump texture.
  ComHolder<IDirect3DTexture9> bumpTexture;
  ComHolder<ID3DXEffect> effect;
  float aspect = 1.0f;
};

class DS_FlameLight : public DS_2D_Light {
 public:
  DS_FlameLight();
  ~DS_FlameLight() override;

  bool Save(DS_IOF_Virtual** stream) override;
  void CreateDeviceResources() override;
  // The layer's own device states and its target; unlike the base layer it leaves the resource
  // manager alone (the host resets the manager after a device reset).
  void RestoreDeviceResources() override;
  // The distortion's effect lets go of the layer target, then the base gives the target up.
  void ReleaseDeviceResources() override;
  // Ends the layer target and draws the distortion (while it is on), then the borders.
  void PostRender() override;
  // The picture, then the flames (the argument is not used: the picture is always drawn).
  void Render(bool clearOnly) override;
  void AdvanceFrame(float t) override;
  bool HasPostEffect() const override { return distortionSwitch.value == 1; }
  // The picture again, then the distortion quad and the fire quad on its size.
  void OnImageChanged() override;

  MediaParamT<int> fireSwitch{1};
  MediaParamT<int> distortionSwitch{1};
  MediaParamT<unsigned int> fireHeight{0u};
  DS_FireFX fire;
  HeatDistortion distortion;
  DS_SimpleMesh<DX_V::PT> fireQuad;
};

// The fields after the header, by version (below 2: version 1), the base layer record included.
void ReadFlameLightFields(DS_IOF_Virtual** stream, DWORD version, DS_FlameLight& light);
// The whole record, version 2.
void WriteFlameLightRecord(DS_IOF_Virtual** stream, DS_FlameLight& light);
template <>
void IOF_ReadFields<DS_FlameLight>(DS_IOF_Virtual** stream, DWORD version, DS_FlameLight& light);
