#include "render/sprite_batch.h"

#include <gtest/gtest.h>

#include "device_fixture.h"
#include "platform/d3d9/recorder.h"

namespace {

ComHolder<IDirect3DTexture9> MakeTexture() {
  ComHolder<IDirect3DTexture9> texture;
  g_Device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr);
  return texture;
}

uint64_t Address(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

}  // namespace

using SpriteBatchTest = RenderDeviceTest;

TEST_F(SpriteBatchTest, ResizeSplitsIntoChunksOfAtMost16383Quads) {
  struct Case {
    UINT count;
    std::vector<UINT> chunkQuads;
  };
  const Case cases[] = {{16383, {16383}}, {16384, {16383, 1}}, {32766, {16383, 16383}}, {5, {5}}, {0, {0}}};
  ComHolder<IDirect3DTexture9> texture = MakeTexture();
  SpriteBatch batch;
  batch.SetTexture(texture.Get());
  for (const Case& c : cases) {
    batch.Resize(c.count);
    EXPECT_EQ(batch.QuadCount(), c.count);
    ASSERT_EQ(batch.ChunkCount(), c.chunkQuads.size()) << c.count;
    for (size_t i = 0; i < c.chunkQuads.size(); ++i) {
      EXPECT_EQ(batch.Chunk(i).vertexCount, 4 * c.chunkQuads[i]) << c.count;
      EXPECT_EQ(batch.Chunk(i).triangleCount, 2 * c.chunkQuads[i]) << c.count;
      EXPECT_EQ(batch.Chunk(i).texture.Get(), texture.Get()) << c.count;
    }
  }
  // Down to nothing and back: the texture is still the batch's.
  batch.Resize(3);
  EXPECT_EQ(batch.Chunk(0).texture.Get(), texture.Get());
}

TEST_F(SpriteBatchTest, QuadsAreWrittenIntoTheirChunkAndSlot) {
  SpriteBatch batch;
  batch.Resize(16384);
  batch.LockAll();
  batch.SetQuad(16383, D3DXVECTOR3(100, 50, 0), D3DXVECTOR3(10, 0, 0), D3DXVECTOR3(0, 5, 0));
  batch.SetQuadColor(16383, 0xFF00FF00u);
  batch.SetQuad(16384, D3DXVECTOR3(1, 1, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));  // beyond the batch
  batch.SetQuadColor(99999, 0xFFFFFFFFu);
  batch.UnlockAll();

  DX_V::PWCT* v = batch.Chunk(1).LockVertices();
  ASSERT_NE(v, nullptr);
  const float expected[4][2] = {{90, 55}, {90, 45}, {110, 55}, {110, 45}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v[i].x, expected[i][0]);
    EXPECT_EQ(v[i].y, expected[i][1]);
    EXPECT_EQ(v[i].rhw, 1.0f);
    EXPECT_EQ(v[i].color, 0xFF00FF00u);
  }
  batch.Chunk(1).UnlockVertices();

  // Untouched quads keep their built state: transparent black, the standard texture coordinates.
  v = batch.Chunk(0).LockVertices();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v[4 * 16382 + 0].color, 0u);
  EXPECT_EQ(v[4 * 16382 + 0].v, 1.0f);
  EXPECT_EQ(v[4 * 16382 + 3].u, 1.0f);
  EXPECT_EQ(v[4 * 16382 + 3].v, 0.0f);
  batch.Chunk(0).UnlockVertices();
}

TEST_F(SpriteBatchTest, QuadsWrittenOutsideALockAreDropped) {
  SpriteBatch batch;
  batch.Resize(1);
  batch.SetQuadColor(0, 0xFFFFFFFFu);
  DX_V::PWCT* v = batch.Chunk(0).LockVertices();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v[0].color, 0u);
  batch.Chunk(0).UnlockVertices();
}

TEST_F(SpriteBatchTest, DrawShowsEveryChunk) {
  // One quad in each of the two chunks, drawn untextured in its vertex colour.
  SpriteBatch batch;
  batch.Resize(16384);
  batch.LockAll();
  batch.SetQuad(0, D3DXVECTOR3(100, 100, 0), D3DXVECTOR3(10, 0, 0), D3DXVECTOR3(0, 10, 0));
  batch.SetQuadColor(0, 0xFFFF0000u);
  batch.SetQuad(16383, D3DXVECTOR3(300, 100, 0), D3DXVECTOR3(10, 0, 0), D3DXVECTOR3(0, 10, 0));
  batch.SetQuadColor(16383, 0xFF0000FFu);
  batch.UnlockAll();
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  ASSERT_EQ(device_->BeginScene(), S_OK);
  batch.Draw();
  device_->EndScene();
  const std::vector<uint32_t> pixels = ReadBackBuffer();
  ASSERT_FALSE(pixels.empty());
  EXPECT_EQ(pixels[100 * width_ + 100], 0xFF0000u);
  EXPECT_EQ(pixels[100 * width_ + 300], 0x0000FFu);
  EXPECT_EQ(pixels[100 * width_ + 200], 0x000000u);
}

TEST_F(SpriteBatchTest, DrawBindsEachChunkThenDrawsItsTriangles) {
  ComHolder<IDirect3DTexture9> texture = MakeTexture();
  SpriteBatch batch;
  batch.SetTexture(texture.Get());
  batch.Resize(16384);
  d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
  ASSERT_NE(recorder, nullptr);
  recorder->enabled = true;
  batch.Draw();
  recorder->enabled = false;

  std::vector<std::pair<std::string, std::vector<uint64_t>>> expected;
  for (size_t i = 0; i < 2; ++i) {
    SpriteBatchChunk& chunk = batch.Chunk(i);
    const IDirect3DBaseTexture9* base = chunk.texture.Get();
    expected.push_back({"SetTexture", {0, Address(base)}});
    expected.push_back({"SetIndices", {Address(chunk.indexBuffer.Get())}});
    expected.push_back({"SetVertexShader", {0}});
    expected.push_back({"SetFVF", {0x144}});
    expected.push_back({"SetStreamSource", {0, Address(chunk.vertexBuffer.Get()), 0, 28}});
    expected.push_back({"DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, chunk.vertexCount, 0, chunk.triangleCount}});
  }
  std::vector<std::pair<std::string, std::vector<uint64_t>>> actual;
  for (const d3d9::RecordedCall& call : recorder->calls) actual.push_back({call.name, call.args});
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(batch.Chunk(1).vertexCount, 4u);
  EXPECT_EQ(batch.Chunk(1).triangleCount, 2u);

  // A batch of no quads still has its one chunk, but nothing in it to draw.
  batch.Resize(0);
  recorder->calls.clear();
  recorder->enabled = true;
  batch.Draw();
  recorder->enabled = false;
  EXPECT_TRUE(recorder->calls.empty());
}
