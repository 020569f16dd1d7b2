// The routines made for the common pixel states against the general pixel stage: each scene is drawn
// both ways on a fresh device and the two pictures must agree bit for bit. Each scene also says
// whether a routine draws it, so that a comparison of the general stage with itself cannot pass
// for one of a routine.
#include <cstddef>
#include <functional>
#include <string>

#include "device_fixture.h"
#include "platform/d3d9/bands.h"
#include "platform/d3d9/formats.h"
#include "platform/d3d9/raster.h"
#include "platform/d3d9/raster_wide.h"
#include "platform/d3d9/recorder.h"
#include "platform/d3d9/resources.h"

namespace {

// Odd sizes, with pixels enough for the draw to be shared among threads and for a difference of one
// unit in the last place of a channel to reach some pixel's byte.
constexpr UINT kWidth = 773;
constexpr UINT kHeight = 531;
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

struct Vertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse;
  D3DCOLOR specular;
  float u, v;
};

struct Scene {
  std::string name;
  bool routine = true;  // drawn by a routine rather than the general stage
  DWORD fvf = kFvf;     // without D3DFVF_SPECULAR the vertices carry no specular colour
  D3DFORMAT texture = D3DFMT_A8R8G8B8;  // D3DFMT_UNKNOWN: none bound
  UINT textureWidth = 13;
  D3DFORMAT target = D3DFMT_X8R8G8B8;
  D3DFORMAT texture1 = D3DFMT_UNKNOWN;  // a texture for stage 1, which reads coordinate set 0
  DWORD filter = D3DTEXF_LINEAR;
  DWORD address = D3DTADDRESS_WRAP;
  float coordinateScale = 1.f;  // times every texture coordinate of the drawn geometry
  bool transparent = false;     // every vertex of the drawn geometry has diffuse alpha 0
  DWORD colorOp = D3DTOP_MODULATE;
  DWORD colorArg1 = D3DTA_TEXTURE;
  DWORD colorArg2 = D3DTA_DIFFUSE;
  DWORD alphaOp = D3DTOP_MODULATE;
  DWORD alphaArg1 = D3DTA_TEXTURE;
  DWORD alphaArg2 = D3DTA_DIFFUSE;
  DWORD blend = FALSE;
  DWORD src = D3DBLEND_SRCALPHA;
  DWORD dest = D3DBLEND_INVSRCALPHA;
  DWORD op = D3DBLENDOP_ADD;
  std::function<void(IDirect3DDevice9*)> more = nullptr;  // any further state
};

// Texel bytes from a hash, with alpha 0 and 255 among them.
uint32_t Texel(UINT x, UINT y) {
  uint32_t h = (x * 0x9e3779b1u) ^ (y * 0x85ebca77u);
  h ^= h >> 13;
  h *= 0xc2b2ae3du;
  h ^= h >> 16;
  if ((x + y) % 5 == 0) h |= 0xff000000u;
  if ((x + 2 * y) % 7 == 0) h &= 0x00ffffffu;
  return h;
}

// A full-target quad, a quad past the texture's edges at fractional positions, a small turned quad
// that minifies the texture, a triangle whose 1/w differs at each corner, and a mesh of small
// triangles whose rows of a few pixels the routines draw several to a register.
std::vector<Vertex> Geometry() {
  const float w = static_cast<float>(kWidth);
  const float h = static_cast<float>(kHeight);
  const Vertex full[4] = {{0, 0, 0, 1, 0xff20c0ff, 0xff102030, 0, 0},
                          {w, 0, 0, 1, 0x80ff4010, 0xff302010, 1, 0},
                          {0, h, 0, 1, 0x00ffffff, 0xff000000, 0, 1},
                          {w, h, 0, 1, 0xc0406080, 0xff808080, 1, 1}};
  const Vertex past[4] = {{3.3f, 5.7f, 0.2f, 1, 0xffffffff, 0, -0.6f, -0.4f},
                          {121.6f, 9.1f, 0.2f, 1, 0x7f00ff00, 0, 1.9f, -0.4f},
                          {7.4f, 98.2f, 0.2f, 1, 0x01ff0000, 0, -0.6f, 2.2f},
                          {119.9f, 101.5f, 0.2f, 1, 0xfe0000ff, 0, 1.9f, 2.2f}};
  const Vertex turned[4] = {{140.f, 20.5f, 0.5f, 1, 0xffffffff, 0, 0, 0},
                            {154.25f, 30.f, 0.5f, 1, 0xffffffff, 0, 4, 0},
                            {130.5f, 34.75f, 0.5f, 1, 0x80808080, 0, 0, 4},
                            {144.75f, 44.25f, 0.5f, 1, 0x80808080, 0, 4, 4}};
  std::vector<Vertex> list;
  for (const Vertex* q : {full, past, turned}) list.insert(list.end(), {q[0], q[1], q[2], q[1], q[3], q[2]});
  list.push_back({20.f, 60.f, 0.1f, 1.f, 0xffff8000, 0xff204060, 0, 0});
  list.push_back({170.f, 75.f, 0.9f, 0.2f, 0x4000ff80, 0xff604020, 0.7f, 0.f});  // 1/w scales u and v
  list.push_back({90.f, 130.f, 0.5f, 0.5f, 0xc08000ff, 0xff000000, 0.f, 0.5f});
  // Cells of 4 to 14 pixels at fractional corners, some no wider than a pixel; depth, 1/w, colour
  // and coordinates change from corner to corner.
  constexpr int kColumns = 12;
  constexpr int kRows = 7;
  auto corner = [](int i, int j) {
    const float x = 200.f + 9.3f * static_cast<float>(i) + 0.37f * static_cast<float>((i * 7 + j * 3) % 5) +
                    (i % 4 == 3 ? -4.6f : 0.f);
    const float y = 150.f + 8.6f * static_cast<float>(j) + 0.41f * static_cast<float>((i * 5 + j * 11) % 7);
    const uint32_t hash = static_cast<uint32_t>(i * 0x9e3779b1u) ^ static_cast<uint32_t>(j * 0x85ebca77u);
    return Vertex{x,
                  y,
                  0.05f + 0.07f * static_cast<float>((i + 2 * j) % 13),
                  0.4f + 0.09f * static_cast<float>((3 * i + j) % 7),
                  (hash * 0x2545f491u) | ((i + j) % 3 == 0 ? 0xff000000u : 0u),
                  hash >> 3,
                  0.11f * static_cast<float>(i) - 0.2f,
                  0.13f * static_cast<float>(j) + 0.03f * static_cast<float>(i % 3)};
  };
  for (int j = 0; j < kRows; ++j) {
    for (int i = 0; i < kColumns; ++i) {
      const Vertex a = corner(i, j);
      const Vertex b = corner(i + 1, j);
      const Vertex c = corner(i, j + 1);
      const Vertex d = corner(i + 1, j + 1);
      list.insert(list.end(), {a, b, c, b, d, c});
    }
  }
  return list;
}

// The vertices as the FVF lays them out: without a specular colour when it has none.
std::vector<uint8_t> Pack(DWORD fvf, const std::vector<Vertex>& vertices) {
  std::vector<uint8_t> bytes;
  for (const Vertex& v : vertices) {
    const auto* at = reinterpret_cast<const uint8_t*>(&v);
    bytes.insert(bytes.end(), at, at + offsetof(Vertex, specular));
    if (fvf & D3DFVF_SPECULAR) bytes.insert(bytes.end(), at + offsetof(Vertex, specular), at + offsetof(Vertex, u));
    bytes.insert(bytes.end(), at + offsetof(Vertex, u), at + sizeof(Vertex));
  }
  return bytes;
}

class PixelRoutines : public DeviceTest, public ::testing::WithParamInterface<Scene> {
 protected:
  void TearDown() override {
    d3d9::UseGeneralPixelStageOnly(false);
    d3d9::SetRenderThreads(0);
    d3d9::UseWideTarget("");
    DeviceTest::TearDown();
  }

  // The scene drawn over a shaded background, with the target's pixels; `routine` tells whether the
  // scene's state has routines.
  std::vector<uint32_t> Draw(const Scene& scene, bool general, bool& routine) {
    d3d9::UseGeneralPixelStageOnly(general);
    Open(kWidth, kHeight);
    Holder<IDirect3DTexture9> targetTexture;
    Holder<IDirect3DSurface9> target;
    if (scene.target != D3DFMT_X8R8G8B8) {
      EXPECT_EQ(device_->CreateTexture(kWidth, kHeight, 1, D3DUSAGE_RENDERTARGET, scene.target, D3DPOOL_DEFAULT,
                                       targetTexture.Out(), nullptr),
                S_OK);
      targetTexture->GetSurfaceLevel(0, target.Out());
      EXPECT_EQ(device_->SetRenderTarget(0, target.Get()), S_OK);
    } else {
      device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, target.Out());
    }
    // A background of shaded colour and alpha: the stage passes diffuse through, there being no texture.
    const float w = static_cast<float>(kWidth);
    const float h = static_cast<float>(kHeight);
    std::vector<Vertex> background = {{0, 0, 0, 1, 0x00ff0000, 0, 0, 0}, {w, 0, 0, 1, 0x8000ff00, 0, 0, 0},
                                      {0, h, 0, 1, 0xff0000ff, 0, 0, 0}, {w, h, 0, 1, 0x40ffffff, 0, 0, 0}};
    EXPECT_EQ(DeviceTest::Draw(kFvf, D3DPT_TRIANGLESTRIP, 2, background), S_OK);

    Holder<IDirect3DTexture9> texture;
    if (scene.texture != D3DFMT_UNKNOWN) {
      *texture.Out() = MakeTexture(scene.textureWidth, 9, scene.texture, [&](UINT x, UINT y, uint8_t* texel) {
        const uint32_t value = Texel(x, y);
        std::memcpy(texel, &value, d3d9::BytesPerTexel(scene.texture));
      });
      device_->SetTexture(0, texture.Get());
    }
    Holder<IDirect3DTexture9> texture1;
    if (scene.texture1 != D3DFMT_UNKNOWN) {
      *texture1.Out() = MakeTexture(11, 7, scene.texture1, [&](UINT x, UINT y, uint8_t* texel) {
        const uint32_t value = Texel(y + 3, x);
        std::memcpy(texel, &value, d3d9::BytesPerTexel(scene.texture1));
      });
      device_->SetTexture(1, texture1.Get());
      device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
      device_->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
      device_->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, scene.filter);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, scene.filter);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, scene.address);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSV, scene.address);
    device_->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0x80ff7f01);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, scene.colorOp);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, scene.colorArg1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, scene.colorArg2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, scene.alphaOp);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, scene.alphaArg1);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, scene.alphaArg2);
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x9a3c7fe1);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, scene.blend);
    device_->SetRenderState(D3DRS_SRCBLEND, scene.src);
    device_->SetRenderState(D3DRS_DESTBLEND, scene.dest);
    device_->SetRenderState(D3DRS_BLENDOP, scene.op);
    if (scene.more) scene.more(device_);

    d3d9::Recorder* recorder = d3d9::RecorderOf(device_);
    recorder->enabled = true;
    std::vector<Vertex> vertices = Geometry();
    for (Vertex& v : vertices) {
      v.u *= scene.coordinateScale;
      v.v *= scene.coordinateScale;
      if (scene.transparent) v.diffuse &= 0x00ffffffu;
    }
    const std::vector<uint8_t> geometry = Pack(scene.fvf, vertices);
    const UINT stride = static_cast<UINT>(geometry.size() / Geometry().size());
    const UINT triangles = static_cast<UINT>(vertices.size() / 3);
    EXPECT_EQ(DrawBytes(scene.fvf, stride, D3DPT_TRIANGLELIST, triangles, geometry.data(), geometry.size(), nullptr, 0),
              S_OK);
    recorder->enabled = false;
    routine = false;
    for (const d3d9::RecordedCall& call : recorder->calls) {
      if (call.name != "DrawPrimitive") continue;
      const d3d9::DeviceState& state = call.state;
      auto* surface = dynamic_cast<d3d9::Surface*>(state.renderTarget);
      auto* depth = state.Render(D3DRS_ZENABLE) != D3DZB_FALSE ? dynamic_cast<d3d9::Surface*>(state.depthStencil)
                                                                : nullptr;
      routine = d3d9::MakePixelState(state, surface, depth, nullptr).span.point != nullptr;
    }
    recorder->calls.clear();
    std::vector<uint32_t> pixels = Read(target.Get());
    device_->SetTexture(0, nullptr);
    device_->SetTexture(1, nullptr);
    device_->SetRenderTarget(0, nullptr);
    return pixels;
  }
};

TEST_P(PixelRoutines, DrawWhatTheGeneralPixelStageDraws) {
  const Scene& scene = GetParam();
  bool routine = false;
  bool generalRoutine = true;
  const std::vector<uint32_t> general = Draw(scene, true, generalRoutine);
  const std::vector<uint32_t> fast = Draw(scene, false, routine);
  EXPECT_FALSE(generalRoutine);
  EXPECT_EQ(routine, scene.routine);
  ASSERT_EQ(fast.size(), general.size());
  int differing = 0;
  for (size_t i = 0; i < fast.size(); ++i) {
    if (fast[i] == general[i]) continue;
    if (++differing <= 5) {
      ADD_FAILURE() << "pixel (" << i % kWidth << ", " << i / kWidth << "): " << std::hex << fast[i] << " against "
                    << general[i];
    }
  }
  EXPECT_EQ(differing, 0);
  // One thread draws what all of them draw, and every instruction set what the widest draws.
  d3d9::SetRenderThreads(1);
  bool alone = false;
  EXPECT_EQ(Draw(scene, false, alone), fast);
  d3d9::SetRenderThreads(0);
  for (const std::string& target : d3d9::WideTargets()) {
    d3d9::UseWideTarget(target);
    EXPECT_EQ(Draw(scene, false, alone), fast) << "on " << target;
  }
}

const Scene kScenes[] = {
    {.name = "ModulatedBilinearFade", .blend = TRUE},
    {.name = "ModulatedPointFade", .filter = D3DTEXF_POINT, .blend = TRUE},
    {.name = "PlainCopy",
     .filter = D3DTEXF_POINT,
     .colorOp = D3DTOP_SELECTARG1,
     .alphaOp = D3DTOP_SELECTARG1},
    // Point copies write the texel as read: with its alpha, or opaque from a texture without one.
    {.name = "PlainCopyIntoAlphaTarget",
     .target = D3DFMT_A8R8G8B8,
     .filter = D3DTEXF_POINT,
     .colorOp = D3DTOP_SELECTARG1,
     .alphaOp = D3DTOP_SELECTARG1},
    {.name = "OpaqueCopyIntoAlphaTarget",
     .texture = D3DFMT_X8R8G8B8,
     .target = D3DFMT_A8R8G8B8,
     .filter = D3DTEXF_POINT,
     .colorOp = D3DTOP_SELECTARG1,
     .alphaOp = D3DTOP_SELECTARG1},
    {.name = "PointCopyAcrossBorderEdges",
     .target = D3DFMT_A8R8G8B8,
     .filter = D3DTEXF_POINT,
     .address = D3DTADDRESS_BORDER,
     .coordinateScale = 1.7f,
     .colorOp = D3DTOP_SELECTARG1,
     .alphaOp = D3DTOP_SELECTARG1},
    {.name = "BilinearCopy", .colorOp = D3DTOP_SELECTARG1, .alphaOp = D3DTOP_SELECTARG1},
    // A texture a few texels wide (as a mask that changes only down the picture): on instruction sets
    // with masked loads each row is read whole into one register.
    {.name = "MagnifiedNarrowTextureFade", .textureWidth = 4, .blend = TRUE},
    // Textures wider than a register: a row's footprints are read from the two rows in registers,
    // up to the right edge, where the texels run out and the gathers take over.
    {.name = "MagnifiedWideTextureFade", .textureWidth = 61, .blend = TRUE},
    {.name = "MagnifiedWideOpaqueTextureCopy",
     .texture = D3DFMT_X8R8G8B8,
     .textureWidth = 67,
     .target = D3DFMT_A8R8G8B8,
     .colorOp = D3DTOP_SELECTARG1,
     .alphaOp = D3DTOP_SELECTARG1},
    // A texture as wide as the target: copied texel for texel along the rows (a register's
    // footprints span one texel more than it holds), and minified up to two registers wide.
    {.name = "TargetWideTextureCopy",
     .textureWidth = kWidth,
     .colorOp = D3DTOP_SELECTARG1,
     .alphaOp = D3DTOP_SELECTARG1},
    {.name = "TargetWideTextureMinifiedFade", .textureWidth = kWidth, .coordinateScale = 1.8f, .blend = TRUE},
    {.name = "AdditiveGlow", .blend = TRUE, .src = D3DBLEND_ONE, .dest = D3DBLEND_ONE},
    {.name = "OpaqueTextureIntoAlphaTarget", .texture = D3DFMT_X8R8G8B8, .target = D3DFMT_A8R8G8B8, .blend = TRUE},
    // Every source alpha exactly 1: the blend leaves the source as it is.
    {.name = "OpaqueSourceOver", .texture = D3DFMT_X8R8G8B8, .alphaOp = D3DTOP_SELECTARG1, .blend = TRUE},
    {.name = "OpaqueSourceOverAlphaTarget",
     .texture = D3DFMT_X8R8G8B8,
     .target = D3DFMT_A8R8G8B8,
     .alphaOp = D3DTOP_SELECTARG1,
     .blend = TRUE},
    {.name = "AlphaTargetAdditive",
     .target = D3DFMT_A8R8G8B8,
     .filter = D3DTEXF_POINT,
     .blend = TRUE,
     .src = D3DBLEND_ONE,
     .dest = D3DBLEND_ONE},
    {.name = "ClampedEdges", .address = D3DTADDRESS_CLAMP, .blend = TRUE},
    {.name = "MirroredEdges", .filter = D3DTEXF_POINT, .address = D3DTADDRESS_MIRROR},
    {.name = "MirroredBilinearEdges", .address = D3DTADDRESS_MIRROR, .blend = TRUE},
    // Coordinates far out, up to where the texel index is held.
    {.name = "FarOutCoordinatesWrapped", .coordinateScale = 30000.f},
    {.name = "FarOutCoordinatesMirrored", .address = D3DTADDRESS_MIRROR, .coordinateScale = 70000.f},
    {.name = "FarOutCoordinatesClamped", .filter = D3DTEXF_POINT, .address = D3DTADDRESS_CLAMP,
     .coordinateScale = 1e9f},
    {.name = "BorderEdges", .address = D3DTADDRESS_BORDER, .blend = TRUE},
    {.name = "DiffuseOnlyWithAlphaDisabled",
     .texture = D3DFMT_UNKNOWN,
     .colorOp = D3DTOP_SELECTARG2,
     .alphaOp = D3DTOP_DISABLE,
     .blend = TRUE},
    {.name = "UnboundTexturePassesDiffuse", .texture = D3DFMT_UNKNOWN, .blend = TRUE},
    {.name = "NoStages", .colorOp = D3DTOP_DISABLE, .blend = TRUE},
    {.name = "TextureFactorTint",
     .colorArg2 = D3DTA_TFACTOR,
     .alphaOp = D3DTOP_SELECTARG2,
     .alphaArg2 = D3DTA_TFACTOR,
     .blend = TRUE},
    {.name = "TextureColourDiffuseAlpha", .colorOp = D3DTOP_SELECTARG1, .alphaOp = D3DTOP_SELECTARG2, .blend = TRUE},
    {.name = "DestinationFactors",
     .target = D3DFMT_A8R8G8B8,
     .blend = TRUE,
     .src = D3DBLEND_INVDESTALPHA,
     .dest = D3DBLEND_DESTCOLOR},
    {.name = "ColourFactorsSubtracted",
     .blend = TRUE,
     .src = D3DBLEND_SRCCOLOR,
     .dest = D3DBLEND_INVSRCCOLOR,
     .op = D3DBLENDOP_REVSUBTRACT},
    {.name = "ZeroAndDestAlphaSubtracted",
     .target = D3DFMT_A8R8G8B8,
     .blend = TRUE,
     .src = D3DBLEND_DESTALPHA,
     .dest = D3DBLEND_ZERO,
     .op = D3DBLENDOP_SUBTRACT},
    {.name = "AlphaTested",
     .blend = TRUE,
     .more = [](IDirect3DDevice9* d) {
       d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
       d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
       d->SetRenderState(D3DRS_ALPHAREF, 0x60);
     }},
    // Left out by the routines, drawn by the general stage: the target must be the same.
    {.name = "TransparentTrianglesBlendedOver", .transparent = true, .alphaOp = D3DTOP_SELECTARG2, .blend = TRUE},
    {.name = "TransparentTrianglesAddedOver",
     .transparent = true,
     .alphaOp = D3DTOP_SELECTARG2,
     .blend = TRUE,
     .src = D3DBLEND_ONE,
     .dest = D3DBLEND_ONE},
    {.name = "TransparentTrianglesOverAlphaTarget",
     .target = D3DFMT_A8R8G8B8,
     .transparent = true,
     .alphaOp = D3DTOP_MODULATE,
     .alphaArg1 = D3DTA_TFACTOR,
     .blend = TRUE},
    {.name = "FlatShaded",
     .blend = TRUE,
     .more = [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT); }},
    // The quads lie at depths 0, 0.2 and 0.5; the triangle runs from 0.1 to 0.9 through them.
    {.name = "DepthTestedAndWritten",
     .blend = TRUE,
     .more =
         [](IDirect3DDevice9* d) {
           d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.f, 0);
           d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
           d->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
         }},
    {.name = "DepthTestedOnly",
     .filter = D3DTEXF_POINT,
     .more =
         [](IDirect3DDevice9* d) {
           d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.3f, 0);
           d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
           d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
           d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
         }},
    // States left over from other draws that change nothing here.
    {.name = "SpecularWithoutSpecularColour",
     .fvf = kFvf & ~D3DFVF_SPECULAR,
     .blend = TRUE,
     .more = [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_SPECULARENABLE, TRUE); }},
    {.name = "SpecularWithoutSpecularColourOverDiffuse",
     .fvf = kFvf & ~D3DFVF_SPECULAR,
     .texture = D3DFMT_UNKNOWN,
     .blend = TRUE,
     .src = D3DBLEND_ONE,
     .dest = D3DBLEND_ONE,
     .more = [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_SPECULARENABLE, TRUE); }},
    {.name = "SecondStageWithoutTexture",
     .blend = TRUE,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
           d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
         }},
    {.name = "BlendingByOneAndZero", .blend = TRUE, .src = D3DBLEND_ONE, .dest = D3DBLEND_ZERO},
    {.name = "ColourWriteMaskWithoutTargetAlpha",
     .blend = TRUE,
     .more = [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_COLORWRITEENABLE, 0x7); }},
    {.name = "SeparateAlphaWithoutTargetAlpha",
     .blend = TRUE,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
           d->SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ZERO);
         }},
    // Richer draws: other texture formats, the specular sum, two textures, bumped coordinates.
    {.name = "SixteenBitTexture", .texture = D3DFMT_R5G6B5, .blend = TRUE},
    {.name = "Specular", .more = [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_SPECULARENABLE, TRUE); }},
    {.name = "SpecularOverDiffuseBlended",
     .texture = D3DFMT_UNKNOWN,
     .blend = TRUE,
     .more = [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_SPECULARENABLE, TRUE); }},
    {.name = "AlphaMaskUnderASecondTexture",
     .texture = D3DFMT_A8,
     .texture1 = D3DFMT_A8R8G8B8,
     .alphaOp = D3DTOP_SELECTARG1,
     .blend = TRUE,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
           d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
         }},
    // Rows of whole 32-bit words, which the routines read a word at a time.
    {.name = "AlphaMaskOfWholeWordRows",
     .texture = D3DFMT_A8,
     .textureWidth = 16,
     .texture1 = D3DFMT_A8R8G8B8,
     .alphaOp = D3DTOP_SELECTARG1,
     .blend = TRUE,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
           d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
         }},
    {.name = "PointSampledAlphaMaskOfWholeWordRows",
     .texture = D3DFMT_A8,
     .textureWidth = 12,
     .filter = D3DTEXF_POINT,
     .colorOp = D3DTOP_SELECTARG2,
     .alphaOp = D3DTOP_MODULATE,
     .blend = TRUE},
    {.name = "SecondTextureModulatesCurrent",
     .texture1 = D3DFMT_X8R8G8B8,
     .colorOp = D3DTOP_SELECTARG1,
     .alphaOp = D3DTOP_SELECTARG1,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
           d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
           d->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
           d->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
         }},
    // Stage 0 has no texture and passes the diffuse colour through unclamped.
    {.name = "SecondTextureModulatesPassedDiffuse",
     .texture = D3DFMT_UNKNOWN,
     .texture1 = D3DFMT_A8R8G8B8,
     .alphaOp = D3DTOP_DISABLE,
     .blend = TRUE,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
           d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
           d->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
         }},
    {.name = "BumpedSecondTexture",
     .texture = D3DFMT_V8U8,
     .texture1 = D3DFMT_A8R8G8B8,
     .colorOp = D3DTOP_BUMPENVMAP,
     .blend = TRUE,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(0.2f));
           d->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(-0.05f));
           d->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(0.1f));
           d->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(0.25f));
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
           d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
         }},
    {.name = "BumpedBySixteenBitPairs",
     .texture = D3DFMT_V16U16,
     .texture1 = D3DFMT_X8R8G8B8,
     .colorOp = D3DTOP_BUMPENVMAP,
     .blend = TRUE,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(0.3f));
           d->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(-0.2f));
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
           d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
           d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
           d->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
         }},
    {.name = "BumpedByAnOpaqueTextureWithPointSampling",
     .texture = D3DFMT_X8R8G8B8,
     .texture1 = D3DFMT_X8R8G8B8,
     .filter = D3DTEXF_POINT,
     .colorOp = D3DTOP_BUMPENVMAP,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(0.5f));
           d->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(0.5f));
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
           d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
           d->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
         }},
    // States left to the general stage, drawn both ways all the same.
    {.name = "ComplementedArgument", .routine = false, .colorArg1 = D3DTA_TEXTURE | D3DTA_COMPLEMENT},
    {.name = "SaturatedSourceAlpha", .routine = false, .blend = TRUE, .src = D3DBLEND_SRCALPHASAT},
    {.name = "MinimumBlend", .routine = false, .blend = TRUE, .op = D3DBLENDOP_MIN},
    {.name = "ColourWriteMask",
     .routine = false,
     .target = D3DFMT_A8R8G8B8,
     .blend = TRUE,
     .more = [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_COLORWRITEENABLE, 0x7); }},
    {.name = "SeparateAlpha",
     .routine = false,
     .target = D3DFMT_A8R8G8B8,
     .blend = TRUE,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
           d->SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE);
           d->SetRenderState(D3DRS_DESTBLENDALPHA, D3DBLEND_ONE);
         }},
    // A clamped diffuse colour, which a product with the second texture cannot hold.
    {.name = "SecondTextureModulatesClampedDiffuse",
     .routine = false,
     .texture1 = D3DFMT_A8R8G8B8,
     .colorOp = D3DTOP_SELECTARG2,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
         }},
    {.name = "SecondTextureModulatesAProduct",
     .routine = false,
     .texture1 = D3DFMT_A8R8G8B8,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
         }},
    // Stage 0 clamps the signed texels it selects, which the product of stage 1 must see.
    {.name = "SecondTextureModulatesSignedTexels",
     .routine = false,
     .texture = D3DFMT_V16U16,
     .texture1 = D3DFMT_A8R8G8B8,
     .colorOp = D3DTOP_SELECTARG1,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
         }},
    {.name = "TwoStages",
     .routine = false,
     .more =
         [](IDirect3DDevice9* d) {
           d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
           d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
           d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
         }},
};

TEST(WideTargets, IncludeAFallbackBesideTheMachinesWidest) {
  const std::vector<std::string> targets = d3d9::WideTargets();
  ASSERT_FALSE(targets.empty());
  std::string listed;
  for (const std::string& target : targets) listed += target + " ";
  EXPECT_GE(targets.size(), 2u) << listed;
}

INSTANTIATE_TEST_SUITE_P(Scenes, PixelRoutines, ::testing::ValuesIn(kScenes),
                         [](const ::testing::TestParamInfo<Scene>& info) { return info.param.name; });

}  // namespace
