// The sprite-array render object: its picture set and mask, what it asks the layer to draw, its
// animated pictures and its frame updates.
#include <gtest/gtest.h>

#include <memory>

#include "particle_fixture.h"

namespace particle_test {
namespace {

class SpriteArrayObjTest : public ParticleSceneTest {
 protected:
  std::unique_ptr<DS_SpriteArrayObj> Make(const TestSprites& d) {
    return std::unique_ptr<DS_SpriteArrayObj>(static_cast<DS_SpriteArrayObj*>(const_cast<TestSprites&>(d).CreateObject()));
  }
};

TEST_F(SpriteArrayObjTest, TakesThePictureSetAndMaskAndHandsThemToTheLayer) {
  TestSprites d(log_);
  d.imageLink = Image(u"anim.png");
  d.maskLink = Image(u"mask.png");
  d.blendMode = 1;
  d.count = 2;
  auto sprites = Make(d);
  TextureSet& set = SetOf(u"anim.png");
  ASSERT_EQ(sprites->textures.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(sprites->textures[i].Get(), set.textures[i].Get());
  EXPECT_EQ(sprites->durations, (std::vector<float>{1.0f, 1.0f, 1.0f}));
  EXPECT_EQ(sprites->width, 2u);
  EXPECT_FLOAT_EQ(sprites->aspect, 1.0f);
  IDirect3DTexture9* mask = SetOf(u"mask.png").textures.at(0).Get();
  EXPECT_EQ(sprites->maskTexture.Get(), mask);

  RecordingLayer layer(log_);
  sprites->Render(layer);
  EXPECT_EQ(layer.spriteTexture, set.textures[0].Get());
  EXPECT_EQ(layer.spriteMask, mask);
  EXPECT_EQ(layer.spriteBlendMode, 1);
  EXPECT_EQ(layer.spriteGeometry, sprites.get());
}

// The object holds one reference to each picture and to the mask, and gives them back with itself.
TEST_F(SpriteArrayObjTest, HoldsOneReferencePerPictureWhileItLives) {
  IDirect3DTexture9* picture = SetOf(u"wide.png").textures.at(0).Get();
  IDirect3DTexture9* mask = SetOf(u"mask.png").textures.at(0).Get();
  auto count = [](IUnknown* object) {
    object->AddRef();
    return object->Release();
  };
  const ULONG pictureBefore = count(picture), maskBefore = count(mask);
  {
    TestSprites d(log_);
    d.imageLink = Image(u"wide.png");
    d.maskLink = Image(u"mask.png");
    auto sprites = Make(d);
    EXPECT_EQ(count(picture), pictureBefore + 1);
    EXPECT_EQ(count(mask), maskBefore + 1);
    IDirect3DTexture9* handed = sprites->GetMaskTexture();
    EXPECT_EQ(count(mask), maskBefore + 2);
    handed->Release();
  }
  EXPECT_EQ(count(picture), pictureBefore);
  EXPECT_EQ(count(mask), maskBefore);
}

// A mask link whose picture cannot be made leaves the sprites unmasked, a picture link likewise
// leaves them untextured: neither is an error.
TEST_F(SpriteArrayObjTest, MissingPicturesDrawUntexturedAndUnmasked) {
  TestSprites d(log_);
  d.imageLink = Image(u"missing.png");
  d.maskLink = Image(u"gone.png");
  auto sprites = Make(d);
  EXPECT_FALSE(sprites->maskTexture);
  RecordingLayer layer(log_);
  sprites->Render(layer);
  EXPECT_EQ(layer.spriteTexture, nullptr);
  EXPECT_EQ(layer.spriteMask, nullptr);
}

TEST_F(SpriteArrayObjTest, PicturesAdvanceAfterTheirDurations) {
  struct Step {
    float time;
    bool advanced;
    UINT current;
  };
  const Step steps[] = {{0.5f, false, 0}, {1.0f, false, 0}, {1.01f, true, 1}, {1.5f, false, 1},
                        {2.02f, true, 2}, {3.03f, true, 0}, {3.5f, false, 0}};
  TestSprites d(log_);
  d.imageLink = Image(u"anim.png");
  auto sprites = Make(d);
  for (const Step& s : steps) {
    SCOPED_TRACE(s.time);
    EXPECT_EQ(sprites->Advance(s.time), s.advanced);
    EXPECT_EQ(sprites->currentPicture, s.current);
  }
}

// With more durations than pictures the pictures alone are cycled: the current one always exists.
// Without durations the picture never changes.
TEST_F(SpriteArrayObjTest, ThePictureIndexStaysWithinThePictures) {
  TestSprites d(log_);
  d.imageLink = Image(u"two.png");
  auto sprites = Make(d);
  ASSERT_EQ(sprites->textures.size(), 2u);
  ASSERT_EQ(sprites->durations.size(), 3u);
  RecordingLayer layer(log_);
  const UINT expected[] = {1, 0, 1, 0};
  float time = 0.0f;
  for (UINT index : expected) {
    time += 1.5f;
    EXPECT_TRUE(sprites->Advance(time));
    EXPECT_EQ(sprites->currentPicture, index);
    sprites->Render(layer);
    EXPECT_EQ(layer.spriteTexture, sprites->textures[index].Get());
  }

  TestSprites still(log_);
  still.imageLink = Image(u"wide.png");
  auto single = Make(still);
  EXPECT_FALSE(single->Advance(100.0f));
  EXPECT_EQ(single->currentPicture, 0u);
}

// With refill on image change the quads are rewritten only in frames in which the package moved on;
// the particles move in every frame.
TEST_F(SpriteArrayObjTest, RefillOnImageChangeWritesOnlyWhenThePictureAdvanced) {
  for (int refill = 0; refill <= 1; ++refill) {
    SCOPED_TRACE(refill);
    log_->updated.clear();
    TestSprites d(log_);
    d.imageLink = Image(u"anim.png");
    d.size = 10;  // a square picture: half width 5
    d.refillOnImageChange = refill;
    auto sprites = Make(d);
    // Frames of 0.15 s of animation time: the first picture lasts until frame 7 (1.05 s).
    for (int frame = 1; frame <= 8; ++frame) {
      SCOPED_TRACE(frame);
      const float x = 10.0f * static_cast<float>(frame);
      sprites->particles.front().position.x = x;
      sprites->Update(0.15f * static_cast<float>(frame));
      const std::vector<DX_V::PCT> v = Vertices(*sprites);
      ASSERT_EQ(v.size(), 4u);
      const bool written = refill == 0 || frame == 7;
      EXPECT_EQ(v[1].x == x - 5.0f, written) << v[1].x;
    }
    EXPECT_EQ(sprites->currentPicture, 1u);
    EXPECT_EQ(log_->updated.size(), 8u);
  }
}

// The selection highlight is a dark translucent quad over the description's rectangle, handed to
// the layer with the static-object marker.
TEST_F(SpriteArrayObjTest, SelectionIsATranslucentQuadWithTheStaticMarker) {
  TestSprites d(log_);
  d.imageLink = Image(u"wide.png");
  auto sprites = Make(d);
  sprites->staticObject = 1;
  RecordingLayer layer(log_);
  sprites->DrawSelection(layer, 1);
  EXPECT_EQ(layer.selectionColors, (std::vector<D3DCOLOR>(4, 0x88000000u)));
  EXPECT_EQ(layer.selectionSelected, 1);
  EXPECT_TRUE(layer.selectionSteady);
}

}  // namespace
}  // namespace particle_test
