#include "brush_fixture.h"

#include <cstring>

#include "document/iof_reader.h"
#include "document/device.h"
#include "slideshow/render_prepare.h"
#include "tests/support/back_buffer_pixels.h"
#include "tests/support/document_builder.h"

namespace brush_test {

const char kBrushEffect[] =
    "copperleaf-effect 1\n"
    "parameter float2 Scale 1 1\n"
    "parameter texture Mask\n"
    "parameter texture Background\n"
    "technique Main\npass P0\nprogram textured\nsampler 0 Background\n"
    "technique MainFX\npass P0\nprogram textured\nsampler 0 Background\n";

const char kFireEffect[] =
    "copperleaf-effect 1\n"
    "parameter matrix WorldViewProj\n"
    "parameter matrix ViewProj\n"
    "parameter texture Noise\n"
    "parameter texture Pattern\n"
    "parameter texture Mask\n"
    "parameter texture Background\n"
    "parameter float2 c11\n"
    "parameter float2 c12\n"
    "parameter float2 c13\n"
    "parameter float3 ColorK1 1 0 0\n"
    "parameter float3 ColorK2 0 1 0\n"
    "parameter float2 bg_scale_factor 1 1\n"
    "parameter float Brightness 0.3\n"
    "parameter float Density 0\n"
    "technique Main\npass P0\nprogram fire_flame\n"
    "sampler 0 Pattern\nsampler 1 Noise\nsampler 2 Mask\n"
    "state AlphaBlendEnable TRUE\nstate SrcBlend SrcAlpha\nstate DestBlend InvSrcAlpha\n"
    "technique AsEffect\npass P0\nprogram fire_flame\n"
    "sampler 0 Pattern\nsampler 1 Noise\nsampler 2 Mask\n"
    "state AlphaBlendEnable TRUE\nstate SrcBlend SrcAlpha\nstate DestBlend InvSrcAlpha\n";

const GUID BrushSceneTest::kMaskGuid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};

DrawingLayer::DrawingLayer(UINT w, UINT h) : width(w), height(h) {
  QuadCorners corners;
  const float x[4] = {0.0f, 0.0f, float(w), float(w)};
  const float y[4] = {float(h), 0.0f, float(h), 0.0f};
  for (int i = 0; i < 4; ++i) {
    corners.corners[i].x = x[i];
    corners.corners[i].y = y[i];
    corners.corners[i].z = 0.0f;
  }
  screenQuad.CreateQuadBuffer();
  if (screenQuad.LockVertices()) {
    screenQuad.WriteCorners(corners);
    screenQuad.UnlockVertices();
  }
}

void DrawingLayer::SetPixelSpace() const {
  D3DXMATRIX identity, projection;
  D3DXMatrixIdentity(&identity);
  D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, float(width), float(height), 0.0f, -1.0f, 1.0f);
  g_Device->SetTransform(D3DTS_WORLD, &identity);
  g_Device->SetTransform(D3DTS_VIEW, &identity);
  g_Device->SetTransform(D3DTS_PROJECTION, &projection);
  g_Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  g_Device->SetRenderState(D3DRS_LIGHTING, FALSE);
  g_Device->SetRenderState(D3DRS_ZENABLE, FALSE);
}

template <class Draw>
void EachPass(ID3DXEffect* effect, Draw draw) {
  UINT passes = 0;
  if (!effect || FAILED(effect->Begin(&passes, 0))) return;
  for (UINT pass = 0; pass < passes; ++pass) {
    effect->BeginPass(pass);
    draw();
    effect->EndPass();
  }
  effect->End();
}

void DrawingLayer::DrawGridWithEffect(DS_IndexedMesh<DX_V::PT>& mesh, ID3DXEffect* effect) {
  events.push_back("DrawGrid");
  grid = &mesh;
  SetPixelSpace();
  PrepareIndexedPT(mesh);
  EachPass(effect, [&] { DrawIndexedMesh(mesh); });
}

void DrawingLayer::DrawQuadWithEffect(DS_SimpleMesh<DX_V::PT>& quad, ID3DXEffect* effect) {
  events.push_back("DrawQuad");
  SetPixelSpace();
  g_Device->SetVertexShader(nullptr);
  g_Device->SetFVF(DX_V::PT::FVF);
  g_Device->SetStreamSource(0, quad.vertexBuffer.Get(), 0, sizeof(DX_V::PT));
  EachPass(effect, [&] {
    if (quad.vertexBuffer) g_Device->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
  });
}

size_t CallCount(ID3DXEffect* effect) { return d3dx9::RecordedEffectCalls(effect)->size(); }

std::vector<SetCall> SetCalls(ID3DXEffect* effect, size_t skip) {
  std::vector<SetCall> out;
  const auto& calls = *d3dx9::RecordedEffectCalls(effect);
  for (size_t i = skip; i < calls.size(); ++i) {
    const d3dx9::EffectCall& call = calls[i];
    if (call.method.rfind("Set", 0) == 0) out.push_back({call.method + " " + call.name, call.texture, call.values});
  }
  return out;
}

SetCall LastSet(ID3DXEffect* effect, const std::string& what) {
  SetCall found;
  for (const SetCall& call : SetCalls(effect))
    if (call.what == what) found = call;
  return found;
}

void BrushSceneTest::SetUp() {
  DeviceTest::SetUp();
  g_Device = device_.Get();
  using docbuild::Embedded;
  using doc_res_test::Png;
  auto text = [](const char* s) { return doc_res_test::Bytes(s, s + std::strlen(s)); };
  docbuild::DocumentBuilder doc;
  doc.DocResManager(3,
                    {{u"white.png", 1, {Embedded(u"white.png", Png(4, 4, 0xFFFFFF))}},
                     {u"gray.png", 1, {Embedded(u"gray.png", Png(4, 4, 0x808080))}},
                     {u"red.png", 1, {Embedded(u"red.png", Png(4, 4, 0xFF0000))}},
                     {u"green.png", 1, {Embedded(u"green.png", Png(8, 8, 0x00FF00))}}},
                    {},
                    {{u"brush.fx", 1, {Embedded(u"brush.fx", text(kBrushEffect))}},
                     {u"vaultkit.dll", 92, {docbuild::LibraryCopy(92, u"vaultkit.dll", text(kFireEffect))}}},
                    {{u"{12345678-9ABC-DEF0-0102-030405060708}", u"mask", 1, Png(2, 2, 0x0000FF), u"mask.png"}});
  bytes_ = doc.Document();
  ResourceBuffer buffer(bytes_.data(), bytes_.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  ds_string name;
  DWORD version = 0;
  stream->ReadString(&name);
  stream->ReadULong(&version);
  manager_ = std::make_unique<DS_DocResManager>();
  SetCurrentDocResManager(manager_.get());
  ASSERT_TRUE(manager_->ReadTables(&stream, version));
  ASSERT_TRUE(manager_->GuidTexture(kMaskGuid)) << "the document's GUID texture";
}

void BrushSceneTest::TearDown() {
  SetCurrentDocResManager(nullptr);
  manager_.reset();
  g_Device = nullptr;
  DeviceTest::TearDown();
}

std::vector<uint32_t> BrushSceneTest::ReadBackBuffer() { return BackBufferPixels(device_.Get()); }

}  // namespace brush_test
