#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "layer_fixture.h"
#include "render/mesh_part.h"
#include "platform/d3d9/recorder.h"
#include "render/random.h"
#include "slideshow/water_ring_light.h"
#include "tests/support/document_builder.h"

namespace {

// A 24-bit bottom-up BMP painted pixel by pixel (0x00RRGGBB, y = 0 at the top).
docbuild::Bytes Bmp(int width, int height, const std::function<uint32_t(int, int)>& paint) {
  const int rowBytes = (width * 3 + 3) & ~3;
  const uint32_t size = 54 + uint32_t(rowBytes * height);
  docbuild::Bytes bmp(size, 0);
  const auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = uint8_t(v >> (8 * i));
  };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, size), put32(10, 54), put32(14, 40), put32(18, uint32_t(width)), put32(22, uint32_t(height));
  bmp[26] = 1, bmp[28] = 24;
  put32(34, uint32_t(rowBytes * height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t rgb = paint(x, y);
      uint8_t* p = &bmp[54 + size_t(height - 1 - y) * rowBytes + size_t(x) * 3];
      p[0] = uint8_t(rgb), p[1] = uint8_t(rgb >> 8), p[2] = uint8_t(rgb >> 16);
    }
  return bmp;
}

std::unique_ptr<DS_DocResManager> ManagerWith(const std::vector<docbuild::FileEntry>& images) {
  docbuild::DocumentBuilder tables;
  tables.DocResManager(1, images, {}, {}, {});
  ResourceBuffer buffer(tables.Document().data(), tables.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  ds_string name;
  DWORD version = 0;
  stream->ReadString(&name);
  stream->ReadULong(&version);
  auto manager = std::make_unique<DS_DocResManager>();
  EXPECT_TRUE(manager->ReadTables(&stream, version));
  return manager;
}

std::function<uint32_t(int, int)> Flat(uint32_t rgb) {
  return [rgb](int, int) { return rgb; };
}

// Blocks of 16 x 16 pixels, each of its own colour.
uint32_t Blocks(int x, int y) {
  static const uint32_t colours[] = {0xC00000, 0x00C000, 0x0000C0, 0xC0C000, 0xC000C0, 0x00C0C0,
                                     0x804020, 0x208040, 0x402080, 0xFFFFFF, 0x606060, 0x000000};
  return colours[(y / 16 * 4 + x / 16) % 12];
}

const D3DXVECTOR3 kEye(0.0f, DS_WaterRingLight::kEyeHeight, 0.0f);

// The still surface the layer would show between drops.
void Calm(DS_WaterRingLight& light) {
  for (RippleGrid::Cell& cell : light.grid->cells) cell = RippleGrid::Cell{};
  ASSERT_EQ(light.grid->Simulate(kEye), S_OK);
}

// Strong rings from drops along grid column 50 (about x = 400 of 1024 pixels) and column 80.
void Ripple(DS_WaterRingLight& light) {
  RippleGrid& grid = *light.grid;
  for (UINT row : {16u, 48u, 80u})
    for (UINT column : {50u, 80u}) grid.At(row * grid.rows / 96, column * grid.columns / 128).velocity = -4.0f;
  for (int i = 0; i < 4; ++i) ASSERT_EQ(grid.Simulate(kEye), S_OK);
}

bool AnyMotion(const RippleGrid& grid) {
  return std::any_of(grid.cells.begin(), grid.cells.end(),
                     [](const RippleGrid::Cell& c) { return c.height != 0.0f || c.velocity != 0.0f; });
}

}  // namespace

class WaterRingLayerTest : public LayerDeviceTest {
 protected:
  void TearDown() override {
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    LayerDeviceTest::TearDown();
  }

  void UsePicture(int width, int height, const std::function<uint32_t(int, int)>& paint) {
    SetCurrentDocResManager(nullptr);
    manager_ = ManagerWith({{u"pond.bmp", 1, {docbuild::Embedded(u"pond.bmp", Bmp(width, height, paint))}}});
    SetCurrentDocResManager(manager_.get());
  }

  // Creates and activates the layer on the whole back buffer, as the slide show does.
  static void Start(DS_2D_Light& light, int mode = kFit) {
    light.pictureLink.path = u"pond.bmp";
    light.pictureLink.stamp = 1;
    light.CreateDeviceResources();
    light.RestoreDeviceResources();
    light.Resize(int(GetBackBufferDesc().Width), int(GetBackBufferDesc().Height));
    light.SetPicturePosition(mode);
  }

  // One frame as the slide draws it, `object` standing for the slide's objects.
  void Frame(DS_2D_Light& light, const std::function<void()>& object = [] {}) {
    ASSERT_EQ(device_->BeginScene(), S_OK);
    if (light.HasPostEffect()) light.BeginLayerTarget();
    light.Render(false);
    object();
    light.PostRender();
    device_->EndScene();
  }

  d3d9::Recorder& StartRecording() {
    d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
    EXPECT_NE(recorder, nullptr);
    recorder->calls.clear();
    recorder->enabled = true;
    return *recorder;
  }

  std::unique_ptr<DS_DocResManager> manager_;
};

TEST_F(WaterRingLayerTest, StoredValuesTuneTheGrid) {
  struct Case {
    UINT velocity, stretch, density, strength, damping, depth;
    int pictureWidth, pictureHeight;
    float velocityScale, dropStrength, gridDamping, refractionDepth, width;
    UINT columns, rows;
  };
  const Case cases[] = {
      {0, 0, 0, 50, 50, 20, 64, 48, 1.0f, 0.45f, 0.99f, 0.2f, 40.0f, 128, 96},
      {50, 100, 50, 0, 0, 100, 64, 48, 2.0f, 0.1f, 0.9f, 1.0f, 40.0f, 192, 288},
      {0, 0, 0, 100, 25, 0, 48, 48, 1.0f, 0.8f, 0.945f, 0.0f, 30.0f, 128, 128},
      {0, 0, 0, 50, 49, 20, 48, 64, 1.0f, 0.45f, 0.9882f, 0.2f, 22.5f, 128, 170},
      {0, 0, 0, 50, 100, 20, 64, 48, 1.0f, 0.45f, 0.999f, 0.2f, 40.0f, 128, 96},
      // Beyond 100 the damping would pass 1 and the water would grow without end: held at 100.
      {0, 0, 0, 50, 1000, 20, 64, 48, 1.0f, 0.45f, 0.999f, 0.2f, 40.0f, 128, 96},
      {0, 0, 0, 50, 4000000000u, 20, 64, 48, 1.0f, 0.45f, 0.999f, 0.2f, 40.0f, 128, 96},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "damping " << c.damping << " picture " << c.pictureWidth << "x"
                                    << c.pictureHeight);
    UsePicture(c.pictureWidth, c.pictureHeight, Flat(0x404040));
    DS_WaterRingLight light;
    light.velocityValue = c.velocity;
    light.stretchValue = c.stretch;
    light.densityValue = c.density;
    light.strengthValue = c.strength;
    light.dampingValue = c.damping;
    light.depthValue = c.depth;
    Start(light);
    const RippleGrid& grid = *light.grid;
    EXPECT_FLOAT_EQ(grid.velocityScale, c.velocityScale);
    EXPECT_FLOAT_EQ(grid.dropStrength, c.dropStrength);
    EXPECT_NEAR(grid.damping, c.gridDamping, 1e-6);
    EXPECT_FLOAT_EQ(grid.refractionDepth, c.refractionDepth);
    EXPECT_FLOAT_EQ(grid.depth, 30.0f);
    EXPECT_FLOAT_EQ(grid.width, c.width);
    EXPECT_EQ(grid.columns, c.columns);
    EXPECT_EQ(grid.rows, c.rows);
  }
}

TEST_F(WaterRingLayerTest, ProjectionFitsTheWaterLikeAFittedPicture) {
  struct Case {
    UINT targetWidth, targetHeight;
    int pictureWidth, pictureHeight;
    float halfWidth, halfHeight;
  };
  const Case cases[] = {
      {1280, 720, 64, 48, 26.6667f, 15.0f},  // bars left and right of the 40-unit water
      {1024, 768, 64, 48, 20.0f, 15.0f},     // the same proportions: the water fills the target
      {600, 800, 64, 48, 20.0f, 26.6667f},   // bars above and below
      {1024, 768, 48, 64, 20.0f, 15.0f},     // a portrait picture: water 22.5 wide in 40
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.targetWidth << "x" << c.targetHeight);
    CreateDevice(c.targetWidth, c.targetHeight);
    UsePicture(c.pictureWidth, c.pictureHeight, Flat(0x404040));
    DS_WaterRingLight light;
    Start(light);
    EXPECT_NEAR(light.projection._11, 1.0f / c.halfWidth, 1e-5);
    EXPECT_NEAR(light.projection._22, 1.0f / c.halfHeight, 1e-5);
    EXPECT_NEAR(light.projection._33, 1.0f / (-1.0f - 2000.0f), 1e-7);
    EXPECT_NEAR(light.projection._43, -1.0f / (-1.0f - 2000.0f), 1e-7);
    EXPECT_FLOAT_EQ(light.projection._41, 0.0f);

    // A target without a size is remembered and otherwise ignored.
    const D3DXMATRIX before = light.projection;
    light.Resize(0, 300);
    EXPECT_EQ(light.lastWidth, 0);
    EXPECT_EQ(light.projection, before);
  }
}

TEST_F(WaterRingLayerTest, DropsFallAtTheDropRateAndFollowAClockGoingBack) {
  struct Step {
    float t;
    bool drop;
  };
  struct Case {
    UINT rate;  // sixtieths of a drop per second
    std::vector<Step> steps;
  };
  const Case cases[] = {
      // Every 2 seconds, strictly after: exactly 2 s is not yet enough.
      {30, {{0.0f, false}, {1.0f, false}, {2.0f, false}, {2.5f, true}, {4.0f, false}, {4.6f, true},
            // The clock jumps back: the interval starts again from the new time.
            {1.0f, false}, {2.9f, false}, {3.1f, true}}},
      {120, {{0.4f, false}, {0.6f, true}, {1.0f, false}, {1.2f, true}}},
      {0, {{0.0f, false}, {100.0f, false}, {1.0e6f, false}}},
  };
  UsePicture(64, 48, Flat(0x404040));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "rate " << c.rate);
    DS_WaterRingLight light;
    light.dropRate.SetAndNotify(c.rate);
    Start(light);
    for (const Step& step : c.steps) {
      SCOPED_TRACE(step.t);
      for (RippleGrid::Cell& cell : light.grid->cells) cell = RippleGrid::Cell{};
      light.AdvanceFrame(step.t);
      EXPECT_EQ(AnyMotion(*light.grid), step.drop);
    }
  }
}

TEST_F(WaterRingLayerTest, ActivationLightsTheWaterAndCalmsIt) {
  UsePicture(64, 48, Flat(0x404040));
  DS_WaterRingLight light;
  light.specularLevel = 60u;
  light.specularPower = 25u;
  Start(light);
  for (float t = 0.0f; t < 10.0f; t += 0.5f) light.AdvanceFrame(t);
  // States the objects of another slide may have left.
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetRenderState(D3DRS_ZENABLE, TRUE);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  light.RestoreDeviceResources();

  D3DLIGHT9 lamp{};
  ASSERT_EQ(device_->GetLight(0, &lamp), S_OK);
  BOOL enabled = FALSE;
  device_->GetLightEnable(0, &enabled);
  EXPECT_TRUE(enabled);
  EXPECT_EQ(lamp.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_FLOAT_EQ(lamp.Direction.x, 0.5f);
  EXPECT_FLOAT_EQ(lamp.Direction.y, -1.0f);
  EXPECT_FLOAT_EQ(lamp.Direction.z, 1.0f);
  EXPECT_FLOAT_EQ(lamp.Diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(lamp.Specular.g, 1.0f);
  EXPECT_FLOAT_EQ(lamp.Specular.a, 0.0f);
  EXPECT_FLOAT_EQ(lamp.Ambient.r, 0.0f);
  D3DMATERIAL9 material{};
  ASSERT_EQ(device_->GetMaterial(&material), S_OK);
  EXPECT_FLOAT_EQ(material.Diffuse.a, 1.0f);
  EXPECT_FLOAT_EQ(material.Diffuse.r, 0.0f);
  EXPECT_FLOAT_EQ(material.Specular.r, 0.6f);
  EXPECT_FLOAT_EQ(material.Specular.b, 0.6f);
  EXPECT_FLOAT_EQ(material.Power, 20.0f);
  EXPECT_FLOAT_EQ(material.Ambient.g, 0.0f);

  struct RenderState {
    D3DRENDERSTATETYPE state;
    DWORD value;
  };
  for (const RenderState& s : std::vector<RenderState>{{D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                                                       {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                                                       {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
                                                       {D3DRS_CULLMODE, D3DCULL_NONE},
                                                       {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
                                                       {D3DRS_ZENABLE, FALSE},
                                                       {D3DRS_LIGHTING, TRUE},
                                                       {D3DRS_SPECULARENABLE, TRUE}}) {
    DWORD value = 0;
    device_->GetRenderState(s.state, &value);
    EXPECT_EQ(value, s.value) << "render state " << s.state;
  }
  for (DWORD stage : {0u, 1u}) {
    DWORD value = 0;
    device_->GetTextureStageState(stage, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, DWORD(D3DTOP_DISABLE)) << stage;
    device_->GetTextureStageState(stage, D3DTSS_ALPHAARG2, &value);
    EXPECT_EQ(value, DWORD(D3DTA_CURRENT)) << stage;
  }
  DWORD address = 0;
  device_->GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
  EXPECT_EQ(address, DWORD(D3DTADDRESS_MIRROR));

  // The water starts again with one drop on a still surface.
  int moving = 0;
  for (const RippleGrid::Cell& cell : light.grid->cells) {
    EXPECT_EQ(cell.height, 0.0f);
    if (cell.velocity != 0.0f) ++moving;
  }
  EXPECT_EQ(moving, 9);
  EXPECT_TRUE(light.grid->vertexBuffer);
  EXPECT_TRUE(light.layerTarget.Current());
}

TEST_F(WaterRingLayerTest, DeviceLossReleasesTheWaterAndActivationBringsItBack) {
  UsePicture(64, 48, Flat(0x2060A0));
  DS_WaterRingLight light;
  Start(light);
  light.ReleaseDeviceResources();
  EXPECT_EQ(d3d9::LiveDefaultPoolResources(device_.Get()), 0);
  EXPECT_FALSE(light.grid->vertexBuffer);
  EXPECT_FALSE(light.grid->indexBuffer);
  // Released water draws nothing and does not fail the frame.
  light.AdvanceFrame(0.1f);
  Frame(light);

  light.RestoreDeviceResources();
  light.AdvanceFrame(0.2f);
  Frame(light);
  const uint32_t centre = Pixel(ReadBackBuffer(), int(width_) / 2, int(height_) / 2);
  EXPECT_NEAR(Red(centre), 0x20, 12);
  EXPECT_NEAR(Green(centre), 0x60, 12);
  EXPECT_NEAR(Blue(centre), 0xA0, 12);
}

TEST_F(WaterRingLayerTest, ObjectServicesDrawUnlitAndTheFadeLeavesBlendingOff) {
  UsePicture(64, 48, Flat(0x404040));
  DS_WaterRingLight light;
  Start(light);
  DS_SimpleMesh<DX_V::PC> selection;
  MeshPart part;
  SpriteArrayDraw sprites;
  TexturedMesh<DX_V::PNT> mesh;
  const std::vector<std::pair<std::string, std::function<void()>>> services = {
      {"DrawSelection", [&] { light.DrawSelection(selection, 1, true); }},
      {"DrawMeshFrame", [&] { light.DrawMeshFrame(part); }},
      {"DrawSpriteArray", [&] { light.DrawSpriteArray(sprites); }},
      {"Draw3DInLayer", [&] { light.Draw3DInLayer(mesh); }},
  };
  for (const auto& [name, service] : services) {
    SCOPED_TRACE(name);
    d3d9::Recorder& recorder = StartRecording();
    service();
    recorder.enabled = false;
    ASSERT_GE(recorder.calls.size(), 2u);
    const d3d9::RecordedCall& first = recorder.calls.front();
    const d3d9::RecordedCall& last = recorder.calls.back();
    EXPECT_EQ(first.name, "SetRenderState");
    EXPECT_EQ(first.args, (std::vector<uint64_t>{D3DRS_LIGHTING, FALSE}));
    EXPECT_EQ(last.name, "SetRenderState");
    EXPECT_EQ(last.args, (std::vector<uint64_t>{D3DRS_LIGHTING, TRUE}));
  }

  DS_SimpleMesh<DX_V::PWC> fade;
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  light.DrawFadeQuad(fade);
  DWORD blending = TRUE;
  device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
  EXPECT_EQ(blending, DWORD(FALSE));
}

// Still water must show the picture exactly where the plain layer shows it, whatever the picture
// position, the camera's zoom and pan and the target's proportions.
TEST_F(WaterRingLayerTest, StillWaterShowsThePictureWhereThePlainLayerDoes) {
  struct Case {
    UINT targetWidth, targetHeight;
    int mode;
    float zoom, panX, panY;
  };
  const Case cases[] = {
      {1024, 768, kFit, 1.0f, 0.0f, 0.0f},  {1280, 720, kFit, 1.0f, 0.0f, 0.0f},
      {1024, 768, kFit, 2.0f, 0.0f, 0.0f},  {1280, 720, kFit, 1.5f, -1.0f, 0.6f},
      {1280, 720, kStretch, 1.0f, 0.0f, 0.0f}, {1280, 720, kFill, 1.3f, 0.5f, -0.5f},
      {600, 800, kFit, 1.2f, 0.3f, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.targetWidth << "x" << c.targetHeight << " mode " << c.mode << " zoom "
                                    << c.zoom << " pan " << c.panX << "," << c.panY);
    CreateDevice(c.targetWidth, c.targetHeight);
    UsePicture(64, 48, Blocks);
    const auto show = [&](DS_2D_Light& light) {
      Start(light, c.mode);
      light.camera.viewZoom = c.zoom;
      light.camera.viewPanX = c.panX;
      light.camera.viewPanY = c.panY;
    };
    DS_2D_Light plain;
    show(plain);
    Frame(plain);
    const std::vector<uint32_t> expected = ReadBackBuffer();

    DS_WaterRingLight water;
    water.specularLevel = 0u;  // no glints: only the picture
    show(water);
    Calm(water);
    Frame(water);
    const std::vector<uint32_t> seen = ReadBackBuffer();

    int compared = 0;
    const int w = int(width_), h = int(height_);
    for (int y = 12; y < h - 12; y += 24) {
      for (int x = 12; x < w - 12; x += 24) {
        // Only where the plain layer shows one colour all around, away from block edges.
        const uint32_t colour = Pixel(expected, x, y);
        bool uniform = true;
        for (int dy = -12; dy <= 12 && uniform; dy += 4)
          for (int dx = -12; dx <= 12 && uniform; dx += 4) uniform = Pixel(expected, x + dx, y + dy) == colour;
        if (!uniform) continue;
        ++compared;
        ASSERT_EQ(Pixel(seen, x, y), colour) << "at " << x << "," << y;
      }
    }
    EXPECT_GT(compared, 100);
  }
}

TEST_F(WaterRingLayerTest, BarsBesideTheWaterAreBlack) {
  CreateDevice(1280, 720);
  UsePicture(64, 48, Flat(0x3080C0));
  DS_WaterRingLight light;
  Start(light);
  for (int waterMode : {0, 1}) {
    SCOPED_TRACE(waterMode);
    light.waterMode = waterMode;
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
    light.AdvanceFrame(0.1f);
    Frame(light);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    // The water is 40 of 53.3 units wide: 960 of 1280 pixels, from x = 160.
    EXPECT_EQ(Pixel(pixels, 40, 360), 0u);
    EXPECT_EQ(Pixel(pixels, 1240, 360), 0u);
    const uint32_t inside = Pixel(pixels, 640, 200);
    EXPECT_NEAR(Blue(inside), 0xC0, 16);
    EXPECT_NEAR(Red(inside), 0x30, 16);
  }
}

// An object drawn in mode 0 lies on top of the water; in mode 1 it is drawn into the layer's target
// and the post render shows it through the water, bent by the rings.
TEST_F(WaterRingLayerTest, ObjectsRippleOnlyWhenEverythingIsUnderWater) {
  UsePicture(64, 48, Flat(0x202020));
  struct Case {
    int waterMode;
    bool rippled;
    bool straightEdge;
  };
  const Case cases[] = {{0, true, true}, {1, false, true}, {1, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.waterMode << (c.rippled ? " rippled" : " still"));
    DS_WaterRingLight light;
    light.waterMode = c.waterMode;
    light.specularLevel = 0u;
    Start(light);
    if (c.rippled)
      Ripple(light);
    else
      Calm(light);
    // The object: a magenta stripe down the middle of whatever target the slide draws into.
    const D3DRECT stripe{400, 0, 624, 768};
    Frame(light, [&] { device_->Clear(1, &stripe, D3DCLEAR_TARGET, 0xFFFF00FFu, 1.0f, 0); });
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    std::set<int> leftEdges;
    for (int y = 20; y < 748; y += 8) {
      int x = 300;
      while (x < 520 && !(Red(Pixel(pixels, x, y)) > 0xC0 && Blue(Pixel(pixels, x, y)) > 0xC0 &&
                          Green(Pixel(pixels, x, y)) < 0x40))
        ++x;
      ASSERT_LT(x, 520) << "no stripe in row " << y;
      leftEdges.insert(x);
    }
    if (c.straightEdge) {
      EXPECT_LE(*leftEdges.rbegin() - *leftEdges.begin(), 1);
    } else {
      EXPECT_GT(*leftEdges.rbegin() - *leftEdges.begin(), 3);
    }
  }
}

TEST_F(WaterRingLayerTest, RipplesCatchTheLightAsGlints) {
  UsePicture(64, 48, Flat(0x303030));
  for (UINT level : {90u, 0u}) {
    SCOPED_TRACE(level);
    DS_WaterRingLight light;
    light.specularLevel = level;
    Start(light);
    Ripple(light);
    Frame(light);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    const auto bright = std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return Green(p) > 0x60; });
    if (level > 0) {
      EXPECT_GT(bright, 0);
    } else {
      EXPECT_EQ(bright, 0);
    }
  }
}

TEST_F(WaterRingLayerTest, HostileTuningValuesNeverCrash) {
  UsePicture(64, 48, Flat(0x404040));
  DS_WaterRingLight light;
  light.velocityValue = 4000000000u;
  light.dampingValue = 4000000000u;
  light.stretchValue = 4000000000u;
  light.densityValue = 4000000000u;
  light.depthValue = 4000000000u;
  light.strengthValue = 4000000000u;
  Start(light);
  EXPECT_LE(light.grid->vertexCount, 65536u);
  for (int frame = 0; frame < 20; ++frame) {
    light.AdvanceFrame(float(frame) * 3.0f);
    Frame(light);
  }
}

// A document may store any strength or velocity. Beyond what the water can take the rings grew until
// they left the view or were no number, and the slide stayed black; now the picture keeps showing
// through rings that still move, on every frame of the slide.
TEST_F(WaterRingLayerTest, ExtremeStrengthsAndVelocitiesKeepThePictureShowing) {
  CreateDevice(160, 120);
  UsePicture(64, 16, Flat(0x3080C0));  // a wide picture: a grid of 128 x 32
  struct Case {
    UINT velocity, strength;
  };
  const Case cases[] = {{0, 50},           {0x7FFFFFFFu, 50}, {0x80000000u, 50}, {0xFFFFFFFFu, 50},
                        {0, 0x7FFFFFFFu},  {0, 0x80000000u},  {0, 0xFFFFFFFFu},  {0xFFFFFFFFu, 0xFFFFFFFFu}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "velocity " << c.velocity << " strength " << c.strength);
    DS_WaterRingLight light;
    light.specularLevel = 0u;  // no glints: only the picture
    light.velocityValue = c.velocity;
    light.strengthValue = c.strength;
    light.dropRate.SetAndNotify(240u);  // four drops a second
    Start(light);
    for (int frame = 0; frame < 12; ++frame) {
      SCOPED_TRACE(frame);
      light.AdvanceFrame(0.3f * float(frame));
      device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
      Frame(light);
      const std::vector<uint32_t> pixels = ReadBackBuffer();
      // The 4:1 water fills the middle 40 rows of the 4:3 target.
      int shown = 0, water = 0;
      for (int y = 42; y < 78; ++y) {
        for (int x = 0; x < 160; ++x, ++water) {
          const uint32_t p = Pixel(pixels, x, y);
          if (std::abs(Red(p) - 0x30) <= 8 && std::abs(Blue(p) - 0xC0) <= 8) ++shown;
        }
      }
      ASSERT_GT(shown, water * 9 / 10);
    }
    EXPECT_TRUE(AnyMotion(*light.grid));
  }
}
