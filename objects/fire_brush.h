// The fire brush: moving flames drawn through its effect on its own 8 x 8 grid between four stored
// corners, from two scrolling lookups (a pattern and a noise picture) coloured between two colours.
// The flame layer embeds one and draws the flames on its own quad instead of the grid.
#pragma once
#include "document/image_file_link.h"
#include "document/media_color.h"
#include "document/media_quad.h"
#include "objects/effect_brush.h"
#include "render/frame.h"
#include "render/grid_mesh.h"

class DS_FireFX : public DS_FX_Constructor {
 public:
  DS_FireFX();
  ~DS_FireFX() override = default;

  // Writes the "DS_FireFX" record, then the brush base record.
  bool Save(DS_IOF_Virtual** stream) override;
  // The base brush's effect and mask, then the two pictures, then the grid made and filled anew.
  void Load(MaskHolder* maskHolder) override;
  // The parameters for the grid, then the grid through the technique "Main".
  void Apply(DS_ABRender& layer) override;
  DS_FX_Constructor* Clone() const override { return new DS_FireFX(*this); }

  // Every field of the source into this brush.
  void Assign(const DS_FireFX& source);
  // The matrices for `geometry` (placed by its world matrix), the two pictures and the three time
  // shifts of the clock.
  void SetPartParameters(const DS_Frame& geometry);
  // 8 x 8 cells: a new vertex buffer of 81 vertices and the 9 x 9 grid indices.
  void CreatePart();
  // The grid spanned between the corners: v from 0 to 1 along the columns, u from 0 to 1 / repeat
  // along the rows.
  void BuildPart();

  void ReadFields(DS_IOF_Virtual** stream, DWORD version);
  void SaveFields(DS_IOF_Virtual** stream);

  MediaQuad quad;
  MediaColor colorA{0x00FFFFu};  // 0x00BBGGRR: where the flame colour ramp ends
  MediaColor colorB{0x0000FFu};  // where it starts
  MediaParamT<int> storedInt1;
  DS_ImageFileLink patternLink;
  DS_ImageFileLink noiseLink;
  MediaParamTB<int> storedInt2;
  UINTSclaleTo<float> density;
  UINTSclaleTo<float> brightness;
  UINTSclaleTo<float> textureRepeat;
  ComHolder<IDirect3DTexture9> patternTexture;
  ComHolder<IDirect3DTexture9> noiseTexture;
  GridMesh part;

 protected:
  // Every field; the pictures and the grid's buffers with one reference more each.
  DS_FireFX(const DS_FireFX& other);
};

// The fire record as the flame layer stores it: class name (not compared), version, fields.
DS_FireFX* ReadFireFX(DS_IOF_Virtual** stream);
