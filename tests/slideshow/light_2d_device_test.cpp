#include <gtest/gtest.h>

#include <memory>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "layer_fixture.h"
#include "platform/d3d9/recorder.h"
#include "slideshow/light_2d.h"
#include "tests/support/document_builder.h"

namespace {

// A 24-bit bottom-up BMP of one colour.
docbuild::Bytes FlatBmp(int width, int height, uint32_t rgb) {
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
      uint8_t* p = &bmp[54 + size_t(y) * rowBytes + size_t(x) * 3];
      p[0] = uint8_t(rgb), p[1] = uint8_t(rgb >> 8), p[2] = uint8_t(rgb >> 16);
    }
  return bmp;
}

// A resource manager whose tables hold `images` (none: every file link finds no picture).
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

// The layer's own border quads, for tests that give them pictures.
class BorderedLight : public DS_2D_Light {
 public:
  using DS_2D_Light::borders;
};

}  // namespace

class Light2DDeviceTest : public LayerDeviceTest {
 protected:
  d3d9::Recorder& StartRecording() {
    d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
    EXPECT_NE(recorder, nullptr);
    recorder->calls.clear();
    recorder->enabled = true;
    return *recorder;
  }
  // Names of the recorded Clear and Draw calls, and stop.
  static std::vector<d3d9::RecordedCall> ClearsAndDraws(d3d9::Recorder& recorder) {
    recorder.enabled = false;
    std::vector<d3d9::RecordedCall> calls;
    for (const d3d9::RecordedCall& call : recorder.calls)
      if (call.name == "Clear" || call.name.rfind("Draw", 0) == 0) calls.push_back(call);
    return calls;
  }
};

TEST_F(Light2DDeviceTest, RestoreSetsTheLayersDrawingStateAndTarget) {
  // States left otherwise by an earlier draw, so that the restore must set each one.
  device_->SetRenderState(D3DRS_ZENABLE, TRUE);
  device_->SetRenderState(D3DRS_LIGHTING, TRUE);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  DS_2D_Light light;
  light.RestoreDeviceResources();

  enum Kind { kRender, kSampler, kStage };
  struct Expected {
    Kind kind;
    DWORD index, state, value;
  };
  const Expected table[] = {
      {kRender, 0, D3DRS_ZENABLE, FALSE},
      {kRender, 0, D3DRS_ZWRITEENABLE, FALSE},
      {kRender, 0, D3DRS_LIGHTING, FALSE},
      {kSampler, 0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
      {kSampler, 0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
      {kSampler, 0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR},
      {kSampler, 0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR},
      {kStage, 0, D3DTSS_TEXCOORDINDEX, 0},
      {kStage, 0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {kStage, 0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
      {kStage, 0, D3DTSS_COLOROP, D3DTOP_SELECTARG1},
      {kStage, 1, D3DTSS_TEXCOORDINDEX, 1},
      {kStage, 1, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {kStage, 1, D3DTSS_COLOROP, D3DTOP_DISABLE},
      {kRender, 0, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
      {kRender, 0, D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
  };
  for (const Expected& e : table) {
    DWORD value = 0xDEADBEEF;
    if (e.kind == kRender) device_->GetRenderState(D3DRENDERSTATETYPE(e.state), &value);
    if (e.kind == kSampler) device_->GetSamplerState(e.index, D3DSAMPLERSTATETYPE(e.state), &value);
    if (e.kind == kStage) device_->GetTextureStageState(e.index, D3DTEXTURESTAGESTATETYPE(e.state), &value);
    EXPECT_EQ(value, e.value) << "kind " << e.kind << " index " << e.index << " state " << e.state;
  }
  EXPECT_EQ(light.layerTarget.Width(), 1024u);
  EXPECT_EQ(light.layerTarget.Height(), 768u);
  EXPECT_TRUE(light.layerTarget.Current());

  // On device loss nothing of the layer may keep the device from being reset.
  light.ReleaseDeviceResources();
  EXPECT_FALSE(light.layerTarget.Current());
  EXPECT_EQ(d3d9::LiveDefaultPoolResources(device_.Get()), 0);
}

// Targets nest: each end restores the size and view mode that its begin replaced; an end without a
// begin changes nothing.
TEST_F(Light2DDeviceTest, NestedTargetsRestoreSizesAndModesInReverse) {
  DS_2D_Light light;
  light.picture.SetFromInfo(800, 600, nullptr);
  light.Resize(1024, 768);
  light.SetPicturePosition(kFill);
  RenderTargetPair outer, inner;
  outer.Create(512, 512);
  inner.Create(256, 128);

  struct Step {
    int action;  // 0 begin outer (Stretch), 1 begin inner (Fit), 2 end
    int width, height, mode;
  };
  const Step steps[] = {{0, 512, 512, kStretch}, {1, 256, 128, kFit}, {2, 512, 512, kStretch},
                        {2, 1024, 768, kFill},   {2, 1024, 768, kFill}};
  for (const Step& s : steps) {
    if (s.action == 0) light.BeginTarget(outer, kStretch);
    if (s.action == 1) light.BeginTarget(inner, kFit);
    if (s.action == 2) light.EndTarget();
    SCOPED_TRACE(testing::Message() << "after action " << s.action << " to " << s.width << "x" << s.height);
    EXPECT_EQ(light.targetWidth, s.width);
    EXPECT_EQ(light.targetHeight, s.height);
    EXPECT_EQ(g_View2D.mode, s.mode);
    EXPECT_FLOAT_EQ(g_View2D.projection._11, 2.0f / float(s.width));
    EXPECT_FLOAT_EQ(g_View2D.projection._22, -2.0f / float(s.height));
  }
  EXPECT_TRUE(g_TargetSizeStack.empty());
}

// Reading a record names the picture without loading it; creating the device resources loads it, and
// a live change of the link reloads it and re-fits the view at once.
TEST_F(Light2DDeviceTest, PictureLoadsAtCreationAndOnEveryLiveLinkChange) {
  auto manager = ManagerWith({{u"wide.bmp", 1, {docbuild::Embedded(u"wide.bmp", FlatBmp(40, 20, 0xFF0000))}},
                              {u"tall.bmp", 2, {docbuild::Embedded(u"tall.bmp", FlatBmp(10, 30, 0x00FF00))}}});
  SetCurrentDocResManager(manager.get());

  {
    docbuild::DocumentBuilder record;
    record.Header(u"DS_2D_Light", 2).Link(u"wide.bmp", 1);
    ResourceBuffer recordBuffer(record.Document().data(), record.Size());
    DS_IOF_R<ResourceBuffer> recordReader(&recordBuffer);
    DS_IOF_Virtual* recordStream = &recordReader;
    DS_2D_Light light;
    Read2DLightRecord(&recordStream, light);
    ASSERT_FALSE(recordStream->Failed());
    EXPECT_EQ(light.picture.width, 0u);

    light.CreateDeviceResources();
    light.Resize(1024, 768);
    EXPECT_EQ(light.GetWidth(), 40u);
    EXPECT_EQ(light.GetHeight(), 20u);
    EXPECT_TRUE(light.picture.texture);
    EXPECT_EQ(g_LayerView.pictureWidth, 40);
    EXPECT_FLOAT_EQ(g_LayerView.fittedPicture.corners[1].y, 128.0f);  // 1024 x 512, centred

    light.pictureLink.path = u"tall.bmp";
    light.pictureLink.stamp = 2;
    light.pictureLink.NotifyAll(nullptr);
    EXPECT_EQ(light.GetWidth(), 10u);
    EXPECT_EQ(light.GetHeight(), 30u);
    EXPECT_EQ(g_LayerView.pictureHeight, 30);
    EXPECT_FLOAT_EQ(g_LayerView.fittedPicture.corners[1].x, 384.0f);  // 256 x 768, centred
    EXPECT_EQ(g_View2D.pictureHeight, 30u);
  }
  SetCurrentDocResManager(nullptr);
}

// Clear only clears to transparent white and draws nothing; otherwise the target is cleared to black
// and the picture's strip drawn through the view. Ending the layer target clears the back buffer to
// opaque black only when asked.
TEST_F(Light2DDeviceTest, RenderClearsAndDrawsThePictureAndLayerTargetEndClearsOnRequest) {
  DS_2D_Light light;
  ComHolder<IDirect3DTexture9> texture = MakeTexture(2, 2, [](int, int) { return 0xFF808080u; });
  light.CreateScreenQuad();
  light.picture.SetFromInfo(512, 384, texture.Get());
  light.screenQuad.SetTextureEntry(light.picture);
  light.Resize(1024, 768);
  light.RestoreDeviceResources();

  for (const bool clearOnly : {true, false}) {
    SCOPED_TRACE(clearOnly);
    d3d9::Recorder& recorder = StartRecording();
    light.Render(clearOnly);
    const std::vector<d3d9::RecordedCall> calls = ClearsAndDraws(recorder);
    ASSERT_EQ(calls.size(), clearOnly ? 1u : 2u);
    EXPECT_EQ(calls[0].name, "Clear");
    EXPECT_EQ(calls[0].args[2], uint64_t(D3DCLEAR_TARGET));
    EXPECT_EQ(calls[0].args[3], clearOnly ? 0x00FFFFFFu : 0u);
    if (clearOnly) continue;
    EXPECT_EQ(calls[1].name, "DrawPrimitive");
    EXPECT_EQ(calls[1].args, (std::vector<uint64_t>{D3DPT_TRIANGLESTRIP, 0, 2}));
    const d3d9::DeviceState& s = calls[1].state;
    EXPECT_EQ(s.fvf, DX_V::PT::FVF);
    EXPECT_EQ(s.textures[0], static_cast<IDirect3DBaseTexture9*>(texture.Get()));
    EXPECT_FLOAT_EQ(s.world._11, 2.0f);  // 512 picture pixels over 1024 target pixels
  }

  for (const bool clear : {false, true}) {
    SCOPED_TRACE(clear);
    light.BeginLayerTarget();
    d3d9::Recorder& recorder = StartRecording();
    light.EndLayerTarget(clear);
    const std::vector<d3d9::RecordedCall> calls = ClearsAndDraws(recorder);
    ASSERT_EQ(calls.size(), clear ? 1u : 0u);
    if (clear) {
      EXPECT_EQ(calls[0].args[3], 0xFF000000u);
      ComHolder<IDirect3DSurface9> backBuffer;
      device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Out());
      EXPECT_EQ(calls[0].state.renderTarget, backBuffer.Get());
    }
    EXPECT_EQ(g_View2D.mode, kFit);
  }
}

// A picture link whose set holds no texture leaves a layer that clears its target and draws neither
// picture nor borders, rather than reading a texture that is not there.
TEST_F(Light2DDeviceTest, PictureWithoutTexturesDrawsNothing) {
  auto manager = ManagerWith({});
  SetCurrentDocResManager(manager.get());
  {
    DS_2D_Light light;
    light.pictureLink.path = u"missing.jpg";
    light.pictureLink.stamp = 4;
    light.CreateDeviceResources();
    light.Resize(1024, 768);
    light.RestoreDeviceResources();
    EXPECT_EQ(light.GetWidth(), 0u);
    EXPECT_FALSE(light.picture.texture);
    d3d9::Recorder& recorder = StartRecording();
    light.Render(false);
    light.PostRender();
    const std::vector<d3d9::RecordedCall> calls = ClearsAndDraws(recorder);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].name, "Clear");
  }
  SetCurrentDocResManager(nullptr);
}

// The view and g_LayerView are shared: whichever layer applied its picture last, a layer's frame
// move and render put back its own picture, size and border quads first.
TEST_F(Light2DDeviceTest, EachLayerDrawsWithItsOwnPictureSizeAndBorders) {
  BorderedLight wide, tall;
  ComHolder<IDirect3DTexture9> frame = MakeTexture(2, 2, [](int, int) { return 0xFF202020u; });
  for (BorderedLight* light : {&wide, &tall}) {
    light->CreateDeviceResources();
    for (TexturedQuad<DX_V::PT>& quad : light->borders) quad.texture = frame;
  }
  wide.picture.SetFromInfo(800, 400, nullptr);
  tall.picture.SetFromInfo(300, 600, nullptr);
  wide.Resize(1024, 768);
  tall.Resize(640, 480);

  struct Step {
    BorderedLight* light;
    int action;  // 0 frame move, 1 render
    UINT pictureWidth;
    int targetWidth;
  };
  const Step steps[] = {{&wide, 0, 800, 1024}, {&tall, 1, 300, 640}, {&wide, 1, 800, 1024}, {&tall, 0, 300, 640}};
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << s.pictureWidth << " action " << s.action);
    if (s.action == 0) s.light->AdvanceFrame(0.0f);
    if (s.action == 1) s.light->Render(false);
    EXPECT_EQ(g_View2D.pictureWidth, s.pictureWidth);
    EXPECT_FLOAT_EQ(g_View2D.projection._11, 2.0f / float(s.targetWidth));
    EXPECT_EQ(g_LayerView.pictureWidth, int(s.pictureWidth));
    EXPECT_FLOAT_EQ(g_LayerView.scaleX, 1024.0f / float(s.targetWidth));
    EXPECT_EQ(g_View2D.Borders(), &s.light->borders);

    d3d9::Recorder& recorder = StartRecording();
    s.light->PostRender();
    const std::vector<d3d9::RecordedCall> calls = ClearsAndDraws(recorder);
    ASSERT_EQ(calls.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
      EXPECT_EQ(calls[i].state.stream, s.light->borders[i].vertexBuffer.Get()) << i;
  }

  // Both frame moves come before either render: each layer still draws with its own camera.
  wide.camera.enabled = 1;
  EXPECT_FALSE(wide.StartCamera());
  EXPECT_TRUE(wide.StartCamera());
  wide.AdvanceFrame(0.0f);
  tall.AdvanceFrame(0.0f);
  for (const auto& [light, zoom] : {std::pair{&wide, 1.2f}, std::pair{&tall, 1.0f}, std::pair{&wide, 1.2f}}) {
    light->Render(false);
    EXPECT_FLOAT_EQ(g_View2D.camera._11, zoom);
  }
}
