#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layer_fixture.h"
#include "platform/d3d9/recorder.h"
#include "slideshow/light_2d.h"
#include "slideshow/render_prepare.h"

namespace {

// What the device was asked to draw, with the states of interest at that moment.
struct Draw {
  std::string name;
  std::vector<uint64_t> args;
  d3d9::DeviceState state;
};

// Logs its Begin/BeginPass/EndPass/End calls into the same sequence as the device's draw calls.
class PassEffect final : public ID3DXEffect {
 public:
  PassEffect(d3d9::Recorder& recorder, std::vector<std::string>& log, UINT passes)
      : recorder_(recorder), log_(log), passes_(passes) {}

  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT SetFloat(D3DXHANDLE, FLOAT) override { return S_OK; }
  HRESULT SetFloatArray(D3DXHANDLE, const FLOAT*, UINT) override { return S_OK; }
  HRESULT SetMatrix(D3DXHANDLE, const D3DXMATRIX*) override { return S_OK; }
  HRESULT SetTexture(D3DXHANDLE, LPDIRECT3DBASETEXTURE9) override { return S_OK; }
  HRESULT SetTechnique(D3DXHANDLE) override { return S_OK; }
  HRESULT Begin(UINT* passes, DWORD flags) override {
    Log("Begin " + std::to_string(flags));
    *passes = passes_;
    return S_OK;
  }
  HRESULT BeginPass(UINT pass) override {
    Log("BeginPass " + std::to_string(pass));
    return S_OK;
  }
  HRESULT CommitChanges() override { return S_OK; }
  HRESULT EndPass() override {
    Log("EndPass");
    return S_OK;
  }
  HRESULT End() override {
    Log("End");
    return S_OK;
  }
  HRESULT OnLostDevice() override { return S_OK; }
  HRESULT OnResetDevice() override { return S_OK; }

 private:
  // Device draws since the last effect call come first.
  void Log(const std::string& entry) {
    for (; seen_ < recorder_.calls.size(); ++seen_) {
      const std::string& name = recorder_.calls[seen_].name;
      if (name.rfind("Draw", 0) == 0) log_.push_back(name);
    }
    log_.push_back(entry);
  }

  d3d9::Recorder& recorder_;
  std::vector<std::string>& log_;
  UINT passes_;
  size_t seen_ = 0;
};

D3DXMATRIX Translation(float x, float y) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, 0.0f);
  return m;
}

bool SameMatrix(const D3DMATRIX& a, const D3DXMATRIX& b) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::abs(a.m[r][c] - b.m[r][c]) > 1e-4f) return false;
  return true;
}

}  // namespace

class Light2DServicesTest : public LayerDeviceTest {
 protected:
  void SetUp() override {
    LayerDeviceTest::SetUp();
    light_.picture.SetFromInfo(2048, 1536, nullptr);
    light_.Resize(1024, 768);
    light_.RestoreDeviceResources();
    recorder_ = d3d9::RecorderOf(device_.Get());
    ASSERT_NE(recorder_, nullptr);
  }

  void StartRecording() {
    recorder_->calls.clear();
    recorder_->enabled = true;
  }
  // The draw calls since StartRecording.
  std::vector<Draw> StopRecording() {
    recorder_->enabled = false;
    std::vector<Draw> draws;
    for (const d3d9::RecordedCall& call : recorder_->calls)
      if (call.name.rfind("Draw", 0) == 0) draws.push_back({call.name, call.args, call.state});
    return draws;
  }
  DWORD RenderState(D3DRENDERSTATETYPE state) {
    DWORD value = 0;
    device_->GetRenderState(state, &value);
    return value;
  }
  DWORD StageState(D3DTEXTURESTAGESTATETYPE state) {
    DWORD value = 0;
    device_->GetTextureStageState(0, state, &value);
    return value;
  }
  // World x camera x picture position x fit for this layer's view.
  D3DXMATRIX ViewWorld(const D3DXMATRIX& local) {
    D3DXMATRIX world = local;
    D3DXMatrixMultiply(&world, &world, &g_View2D.camera);
    D3DXMatrixMultiply(&world, &world, &g_View2D.picturePosition);
    D3DXMatrixMultiply(&world, &world, &g_View2D.fit);
    return world;
  }

  DS_2D_Light light_;
  d3d9::Recorder* recorder_ = nullptr;
};

// Every pass brackets exactly one draw; the grid keeps the world matrix the caller left, the others
// place their geometry through the view.
TEST_F(Light2DServicesTest, EffectServicesDrawOncePerPass) {
  DS_IndexedMesh<DX_V::PCT> sprites;
  sprites.BuildQuadList(2);
  sprites.local = Translation(10, 20);
  DS_SimpleMesh<DX_V::PT> quad;
  quad.CreateQuadBuffer();
  quad.local = Translation(30, 40);
  DS_IndexedMesh<DX_V::PT> grid;
  grid.BuildQuadList(3);
  grid.local = Translation(50, 60);

  struct Case {
    const char* service;
    std::string draw;
    UINT fvf, stride;
    bool setsWorld;
    D3DXMATRIX local;
  };
  const Case cases[] = {
      {"sprites", "DrawIndexedPrimitive", DX_V::PCT::FVF, 24, true, sprites.local},
      {"quad", "DrawPrimitive", DX_V::PT::FVF, 20, true, quad.local},
      {"grid", "DrawIndexedPrimitive", DX_V::PT::FVF, 20, false, grid.local},
  };
  const D3DXMATRIX untouched = Translation(-7, -9);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.service);
    std::vector<std::string> log;
    device_->SetTransform(D3DTS_WORLD, &untouched);
    StartRecording();
    PassEffect effect(*recorder_, log, 2);
    const std::string service = c.service;
    if (service == "sprites") light_.DrawSpritesWithEffect(sprites, &effect);
    if (service == "quad") light_.DrawQuadWithEffect(quad, &effect);
    if (service == "grid") light_.DrawGridWithEffect(grid, &effect);
    const std::vector<Draw> draws = StopRecording();
    const std::vector<std::string> expected = {"Begin 0", "BeginPass 0", c.draw, "EndPass",
                                               "BeginPass 1", c.draw, "EndPass", "End"};
    EXPECT_EQ(log, expected);
    ASSERT_EQ(draws.size(), 2u);
    for (const Draw& d : draws) {
      EXPECT_EQ(d.state.fvf, c.fvf);
      EXPECT_EQ(d.state.streamStride, c.stride);
      EXPECT_TRUE(SameMatrix(d.state.world, c.setsWorld ? ViewWorld(c.local) : untouched));
    }
  }
  // Without an effect nothing is drawn.
  StartRecording();
  light_.DrawQuadWithEffect(quad, nullptr);
  EXPECT_TRUE(StopRecording().empty());
}

// Per draw: the destination factor and the colour operation; the mask pass draws the mask texture.
TEST_F(Light2DServicesTest, SpriteArrayPassesByBlendModeAndMask) {
  DS_SpriteArrayT<DX_V::PCT> sprites;
  sprites.Build(2);
  ComHolder<IDirect3DTexture9> picture = MakeTexture(2, 2, [](int, int) { return 0xFFFFFFFFu; });
  ComHolder<IDirect3DTexture9> mask = MakeTexture(2, 2, [](int, int) { return 0x80FFFFFFu; });
  struct Pass {
    DWORD destBlend, colorOp;
    bool maskTexture;
  };
  struct Case {
    int blendMode;
    bool masked;
    std::vector<Pass> passes;
  };
  const Case cases[] = {
      {0, false, {{D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, false}}},
      {1, false, {{D3DBLEND_ONE, D3DTOP_MODULATE, false}}},
      {0, true, {{D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, false}, {D3DBLEND_INVSRCALPHA, D3DTOP_SELECTARG1, true}}},
      {1, true, {{D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, false}, {D3DBLEND_ONE, D3DTOP_SELECTARG1, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "blend " << c.blendMode << " mask " << c.masked);
    SpriteArrayDraw draw;
    draw.geometry = &sprites;
    draw.texture = picture.Get();
    if (c.masked) draw.mask = mask;
    draw.blendMode = c.blendMode;
    StartRecording();
    light_.DrawSpriteArray(draw);
    const std::vector<Draw> draws = StopRecording();
    ASSERT_EQ(draws.size(), c.passes.size());
    for (size_t i = 0; i < draws.size(); ++i) {
      const d3d9::DeviceState& s = draws[i].state;
      EXPECT_EQ(s.Render(D3DRS_DESTBLEND), c.passes[i].destBlend) << i;
      EXPECT_EQ(s.Render(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA)) << i;
      EXPECT_EQ(s.Render(D3DRS_ALPHABLENDENABLE), DWORD(TRUE)) << i;
      EXPECT_EQ(s.Render(D3DRS_CULLMODE), DWORD(D3DCULL_NONE)) << i;
      EXPECT_EQ(s.Stage(0, D3DTSS_COLOROP), c.passes[i].colorOp) << i;
      EXPECT_EQ(s.Stage(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_MODULATE)) << i;
      EXPECT_EQ(s.textures[0], c.passes[i].maskTexture ? static_cast<IDirect3DBaseTexture9*>(mask.Get())
                                                       : static_cast<IDirect3DBaseTexture9*>(picture.Get()))
          << i;
      EXPECT_EQ(draws[i].args, (std::vector<uint64_t>{D3DPT_TRIANGLELIST, 0, 0, 8, 0, 4})) << i;
    }
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
  }
}

// Each child twice, counter-clockwise culling first, at its own world matrix; a mesh without
// children draws nothing but still leaves blending off.
TEST_F(Light2DServicesTest, MeshInLayerDrawsEveryChildFromBothSides) {
  TexturedMesh<DX_V::PNT> mesh;
  mesh.BuildQuadList(1);
  mesh.texture = MakeTexture(2, 2, [](int, int) { return 0xFF00FF00u; });
  DS_Frame first, second;
  first.world = Translation(100, 0);
  second.world = Translation(0, 200);
  for (const bool withChildren : {true, false}) {
    SCOPED_TRACE(withChildren);
    mesh.children.clear();
    if (withChildren) mesh.children = {&first, &second};
    StartRecording();
    light_.Draw3DInLayer(mesh);
    const std::vector<Draw> draws = StopRecording();
    const std::vector<DWORD> expectedCulls =
        withChildren ? std::vector<DWORD>{D3DCULL_CCW, D3DCULL_CW, D3DCULL_CCW, D3DCULL_CW} : std::vector<DWORD>{};
    std::vector<DWORD> culls;
    for (size_t i = 0; i < draws.size(); ++i) {
      const d3d9::DeviceState& s = draws[i].state;
      culls.push_back(s.Render(D3DRS_CULLMODE));
      EXPECT_TRUE(SameMatrix(s.world, ViewWorld(i < 2 ? first.world : second.world))) << i;
      EXPECT_EQ(s.Render(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
      EXPECT_EQ(s.Stage(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
      EXPECT_EQ(s.Stage(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
      EXPECT_EQ(s.textures[0], static_cast<IDirect3DBaseTexture9*>(mesh.texture.Get()));
      EXPECT_EQ(s.fvf, DX_V::PNT::FVF);
    }
    EXPECT_EQ(culls, expectedCulls);
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
  }
}

// The colour quads take colour and opacity from their vertices whatever operations an earlier draw
// left; afterwards the arguments read the texture again, the operations are the earlier ones (a
// layer that modulates its glyphs by their vertex alpha keeps doing so) and blending stays on.
TEST_F(Light2DServicesTest, ColourQuadsBlendByTheirVertexAlphaAlone) {
  DS_SimpleMesh<DX_V::PC> colourQuad;
  QuadCorners corners;
  corners.FullBackBuffer();
  colourQuad.BuildQuad(0x80FF0000u, corners);
  DS_SimpleMesh<DX_V::PWC> fadeQuad;
  fadeQuad.BuildQuad(0x80000000u, corners);
  for (const bool fade : {false, true}) {
    SCOPED_TRACE(fade ? "fade quad" : "colour quad");
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    StartRecording();
    if (fade)
      light_.DrawFadeQuad(fadeQuad);
    else
      DrawColorQuad(colourQuad);
    const std::vector<Draw> draws = StopRecording();
    ASSERT_EQ(draws.size(), 1u);
    const d3d9::DeviceState& s = draws[0].state;
    EXPECT_EQ(s.Stage(0, D3DTSS_COLOROP), DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(s.Stage(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(s.Stage(0, D3DTSS_COLORARG1), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(s.Stage(0, D3DTSS_ALPHAARG1), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(s.Render(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    EXPECT_EQ(s.fvf, fade ? DX_V::PWC::FVF : DX_V::PC::FVF);
    EXPECT_EQ(s.streamStride, fade ? 20u : 16u);
    EXPECT_EQ(draws[0].args, (std::vector<uint64_t>{D3DPT_TRIANGLESTRIP, 0, 2}));
    EXPECT_EQ(StageState(D3DTSS_COLORARG1), DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(StageState(D3DTSS_ALPHAARG1), DWORD(D3DTA_TEXTURE));
    EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(StageState(D3DTSS_ALPHAOP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
  }
}

// An unselected element: its body, then one handle picture at all four corners at a pulsing alpha.
// A selected one: each corner its own handle, in the order 1, 3, 2, 0; steady means opaque.
TEST_F(Light2DServicesTest, SelectionDrawsBodyAndCornerHandles) {
  for (int i = 0; i < 5; ++i) light_.handleTextures[i] = MakeTexture(1, 1, [](int, int) { return 0xFFFFFFFFu; });
  const auto handle = [&](int i) { return static_cast<IDirect3DBaseTexture9*>(light_.handleTextures[i].Get()); };
  DS_SimpleMesh<DX_V::PC> quad;
  QuadCorners corners;
  corners.FullBackBuffer();
  quad.BuildQuad(0x40FFFFFFu, corners);
  struct Case {
    int selected;
    bool steady;
    DWORD lowAlpha, highAlpha;
    std::vector<uint64_t> starts;  // the first vertex of each point draw
    std::vector<int> handles;
  };
  const Case cases[] = {
      {0, false, 96, 165, {0}, {4}},
      {1, false, 48, 255, {1, 3, 2, 0}, {0, 1, 2, 3}},
      {1, true, 255, 255, {1, 3, 2, 0}, {0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "selected " << c.selected << " steady " << c.steady);
    StartRecording();
    light_.DrawSelection(quad, c.selected, c.steady);
    std::vector<Draw> draws = StopRecording();
    if (c.selected == 0) {
      ASSERT_FALSE(draws.empty());
      EXPECT_EQ(draws.front().args, (std::vector<uint64_t>{D3DPT_TRIANGLESTRIP, 0, 2}));
      draws.erase(draws.begin());
    }
    ASSERT_EQ(draws.size(), c.starts.size());
    for (size_t i = 0; i < draws.size(); ++i) {
      const d3d9::DeviceState& s = draws[i].state;
      EXPECT_EQ(draws[i].args, (std::vector<uint64_t>{D3DPT_POINTLIST, c.starts[i], c.selected == 0 ? 4u : 1u}));
      EXPECT_EQ(s.textures[0], handle(c.handles[i]));
      EXPECT_EQ(s.Render(D3DRS_POINTSPRITEENABLE), DWORD(TRUE));
      EXPECT_EQ(s.Stage(0, D3DTSS_ALPHAARG2), DWORD(D3DTA_TFACTOR));
      const DWORD factor = s.Render(D3DRS_TEXTUREFACTOR);
      EXPECT_EQ(factor & 0x00FFFFFFu, 0x00FFFFFFu);
      EXPECT_GE(factor >> 24, c.lowAlpha);
      EXPECT_LE(factor >> 24, c.highAlpha);
    }
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(StageState(D3DTSS_ALPHAARG2), DWORD(D3DTA_DIFFUSE));
    EXPECT_EQ(StageState(D3DTSS_COLORARG2), DWORD(D3DTA_DIFFUSE));
  }
}

// The pulsing quad undoes the fit's scaling: on a picture of twice the target's size it keeps its size
// in target pixels.
TEST_F(Light2DServicesTest, PulsingQuadKeepsItsSizeOnTheTarget) {
  TexturedQuad<DX_V::PT> quad;
  const float vertices[20] = {0, 10, 0, 0, 1, 0, 0, 0, 0, 0, 10, 10, 0, 1, 1, 10, 0, 0, 1, 0};
  quad.SetVertices(vertices);
  const D3DXMATRIX parent = Translation(100, 50);
  StartRecording();
  light_.DrawPulsingQuad(quad, &parent, false);
  const std::vector<Draw> draws = StopRecording();
  ASSERT_EQ(draws.size(), 1u);
  const d3d9::DeviceState& s = draws[0].state;
  EXPECT_FLOAT_EQ(s.world._11, 1.0f);
  EXPECT_FLOAT_EQ(s.world._22, 1.0f);
  EXPECT_FLOAT_EQ(s.world._41, 50.0f);  // the parent's offset in picture pixels, halved by the fit
  EXPECT_EQ(s.Render(D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
  EXPECT_EQ(s.Render(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
  EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
}
