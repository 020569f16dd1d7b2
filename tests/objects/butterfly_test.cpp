// The butterfly: its ramps, its instance layout over the two parts, its flight rules, its stored
// record, and a body drawn through the software device.
#include "objects/butterfly_constructor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "objects/butterfly_anim.h"
#include "objects/obj_3d_array.h"
#include "platform/d3d9/recorder.h"
#include "render/ab_obj.h"
#include "document/device.h"
#include "render/random.h"
#include "slideshow/light_2d.h"
#include "slideshow/view_2d.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"

namespace {

constexpr float kDeg = 3.1415927f / 180.0f;

TEST(RampedValue, MovesTowardItsTargetAndStopsThere) {
  struct Case {
    RampedValue start;
    float target, rate, dt;
    float current, signedRate;
  };
  const Case cases[] = {
      {{0, 0, 10}, 5, 0, 0.1f, 1, 10},       // rate 0 keeps the old one
      {{0, 0, 10}, -5, 0, 0.1f, -1, -10},    // the sign points at the target
      {{0, 0, -10}, 5, 20, 1.0f, 5, 20},     // a new rate; never past the target
      {{4, 4, 10}, 4, 0, 1.0f, 4, -10},      // at the target: no move
      {{0, 0, 10}, -2, 0, 1.0f, -2, -10},    // clamped from above
  };
  for (const Case& c : cases) {
    RampedValue v = c.start;
    v.SetTarget(c.target, c.rate);
    EXPECT_EQ(v.rate, c.signedRate) << c.target;
    v.Step(c.dt);
    EXPECT_FLOAT_EQ(v.current, c.current) << c.target;
    EXPECT_EQ(v.target, c.target);
  }
}

TEST(ButterflyConstructor, Defaults) {
  DS_ButterflyConstructor d;
  EXPECT_EQ(d.bodyImageLink.path, u"vaultkit.dll");
  EXPECT_EQ(d.bodyImageLink.stamp, 6);
  EXPECT_EQ(d.bodyMeshLink.stamp, 68);
  EXPECT_EQ(d.meshLink.path, u"vaultkit.dll");
  EXPECT_EQ(d.meshLink.stamp, 69);
  EXPECT_TRUE(d.imageLink.path.empty());
  EXPECT_EQ(d.size.value, 100u);
  EXPECT_EQ(d.instanceCount.value, 1u);
  EXPECT_EQ(d.speed.value, 50u);
  EXPECT_TRUE(d.viewFlag);
  EXPECT_EQ(d.storedValue1.value, 50u);
  EXPECT_FLOAT_EQ(d.storedValue2.derived, 50.0f);
  EXPECT_EQ(d.wingScale, 1.0f);
  EXPECT_EQ(d.SelectionMode(), 0);
}

// A 400 x 300 picture; the description's rectangle is x 100 to 300, y 75 to 225.
class ButterflyFlight : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_LayerView;
    g_LayerView.pictureWidth = 400;
    g_LayerView.pictureHeight = 300;
    d.left = 0.25f, d.right = 0.75f, d.top = 0.25f, d.bottom = 0.75f;
    SRand(1);
  }
  void TearDown() override { g_LayerView = saved_; }

  // A butterfly at a place in the rectangle, flying straight along +x, wings level, and a root
  // frame without local transform; the step is dt at animation time t.
  std::unique_ptr<AC_Butterfly> Still(float dt = 0.0f, float t = 0.0f) {
    auto a = std::make_unique<AC_Butterfly>(&d);
    a->position = D3DXVECTOR3(200, 150, 0);
    a->heading = {0, 0, 350};
    d.animationStep = dt;
    d.animationTime = t;
    return a;
  }
  void Fly(AC_Butterfly& a) {
    DS_Frame frame;
    a.Update(&frame);
    world = frame.world;
  }
  // Own frees for the wings the test never installed.
  struct Wings {
    explicit Wings(AC_Butterfly& a) : one(a.wing1), two(a.wing2) {}
    std::unique_ptr<AC_ButterflyWing> one, two;
  };

  DS_ButterflyConstructor d;
  D3DXMATRIX world;
  LayerView saved_;
};

TEST_F(ButterflyFlight, SteersBackAtTheRectangleEdges) {
  struct Case {
    float x, y;
    float heading, headingRate, forward;  // NAN: unchanged
    int requested;
    float vertical;
  };
  const Case cases[] = {
      {50, 150, 0, 350, 300, 0, 50},          // left: turn to 0
      {350, 150, -180, 350, 300, 0, 50},      // right: turn to -180
      {200, 10, NAN, NAN, NAN, 1, 100},       // above: climb down, gliding
      {200, 290, NAN, NAN, NAN, 0, -190},     // below: up, flapping
      {50, 290, 0, 350, 300, 0, -190},        // a corner does both
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    auto a = Still();
    Wings wings(*a);
    a->heading = {90, 90, 1};
    a->position = D3DXVECTOR3(c.x, c.y, 0);
    Fly(*a);
    if (std::isnan(c.heading)) {
      EXPECT_EQ(a->heading.target, 90.0f);
      EXPECT_EQ(a->forwardSpeed.target, 50.0f);
    } else {
      EXPECT_EQ(a->heading.target, c.heading);
      EXPECT_EQ(std::fabs(a->heading.rate), c.headingRate);
      EXPECT_EQ(a->forwardSpeed.target, c.forward);
    }
    EXPECT_EQ(a->requestedMode, c.requested);
    EXPECT_EQ(a->verticalSpeed.target, c.vertical);
  }
}

// The body's turn about x is the fixed tilt of 10 degrees plus the pitch of slow flight.
TEST_F(ButterflyFlight, SlowFlightPitchesTheBodyUp) {
  for (auto [forward, degrees] : {std::pair{50.0f, 17.5f}, {0.0f, 25.0f}, {100.0f, 10.0f}, {250.0f, 10.0f}}) {
    SCOPED_TRACE(forward);
    auto a = Still();
    Wings wings(*a);
    a->forwardSpeed = {forward, forward, 350};
    Fly(*a);
    EXPECT_NEAR(world._22, std::cos(degrees * kDeg), 1e-5);
    EXPECT_NEAR(world._23, std::sin(degrees * kDeg), 1e-5);
    EXPECT_NEAR(world._11, 1.0f, 1e-5);
    EXPECT_NEAR(world._41, 200.0f, 1e-3);
    EXPECT_NEAR(world._42, 150.0f, 1e-3);
  }
}

TEST_F(ButterflyFlight, SizeScalesTheWholeButterfly) {
  auto a = Still();
  Wings wings(*a);
  EXPECT_EQ(a->sizeMatrix, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
  d.size.SetAndNotify(200);
  EXPECT_EQ(a->sizeMatrix._11, 2.0f);
  EXPECT_EQ(a->sizeMatrix._33, 2.0f);
  a->forwardSpeed = {100, 100, 350};
  Fly(*a);
  const float x = std::sqrt(world._11 * world._11 + world._12 * world._12 + world._13 * world._13);
  EXPECT_NEAR(x, 2.0f, 1e-5);
}

// A request to glide lowers the upper wing limit to 0; the butterfly keeps flapping under it and
// glides only once the wings are below half the lower limit.
TEST_F(ButterflyFlight, GlidesOnlyOnceTheWingsAreDown) {
  auto a = Still(0.005f);
  Wings wings(*a);
  a->requestedMode = 1;
  a->wingAngle = -1.0f;
  std::vector<int> modes;
  std::vector<float> angles;
  for (int i = 0; i < 8; ++i) {
    Fly(*a);
    modes.push_back(a->mode);
    angles.push_back(a->wingAngle);
  }
  EXPECT_EQ(a->upperWingLimit, 0.0f);
  // Up 3.5 degrees to 2.5 while the request is still new, up to 6 and over the new limit 0, then
  // down 5.6 per step.
  EXPECT_NEAR(angles[0], 2.5f, 1e-4);
  EXPECT_NEAR(angles[1], 6.0f, 1e-4);
  EXPECT_NEAR(angles[2], 0.4f, 1e-4);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(modes[i], 0) << i;  // -22 after the seventh step
  EXPECT_EQ(modes[7], 1);                                   // -27.6: gliding
  EXPECT_NEAR(a->wingSpeed, -1.6f, 1e-4);
}

TEST_F(ButterflyFlight, LeavingTheGlideFlapsAgainWithTheFullLimit) {
  auto a = Still(0.0f);
  Wings wings(*a);
  a->mode = 1;
  a->requestedMode = 0;
  a->upperWingLimit = 0;
  a->forwardSpeed = {10, 10, 350};
  Fly(*a);
  EXPECT_EQ(a->mode, 0);
  EXPECT_EQ(a->upperWingLimit, 55.0f);
  EXPECT_EQ(a->wingSpeed, 160.0f);
}

// The next draw of the generator after SRand(seed) leaves a remainder of 3 or 4 by 5.
uint32_t TurnSeed() {
  for (uint32_t seed = 1;; ++seed) {
    SRand(seed);
    if (Rand() % 5 >= 3) return seed;
  }
}

TEST_F(ButterflyFlight, RandomTurnsStartOnlyAfterATurnHasEndedAndOnlyWhileFlapping) {
  struct Case {
    const char* what;
    int mode;
    float current, target;
    bool turns;
  };
  for (const Case& c : {Case{"settled", 0, 30, 30, true}, Case{"still turning", 0, 30, 60, false},
                        Case{"gliding", 1, 30, 30, false}}) {
    SCOPED_TRACE(c.what);
    auto a = Still(0.0f, 1.0f);
    Wings wings(*a);
    a->mode = a->requestedMode = c.mode;
    a->heading = {c.current, c.target, 100};
    SRand(TurnSeed());
    Fly(*a);
    EXPECT_EQ(a->lastDecisionTime, 1.0f);
    if (c.turns) {
      const float t = a->heading.target;
      EXPECT_TRUE((t >= -25 && t <= 25) || (t >= 155 && t <= 205)) << t;
      EXPECT_GE(std::fabs(a->heading.rate), 50.0f);
      EXPECT_LE(std::fabs(a->heading.rate), 350.0f);
    } else {
      EXPECT_EQ(a->heading.target, c.target);
    }
  }
}

TEST_F(ButterflyFlight, DecisionsWaitForAQuarterSecondOfAnimationTime) {
  SRand(4);
  const int first = Rand();
  for (auto [t, decides] : {std::pair{0.25f, false}, {0.26f, true}}) {
    auto a = Still(0.0f, t);
    Wings wings(*a);
    SRand(4);
    Fly(*a);
    EXPECT_EQ(a->lastDecisionTime, decides ? t : 0.0f) << t;
    EXPECT_EQ(Rand() == first, !decides) << t;
    // A second flight at the same time never decides.
    SRand(4);
    Fly(*a);
    EXPECT_EQ(Rand(), first) << t;
  }
}

// At speed 0 the animation clock stands, and so does the butterfly: no step, no decision, no draw.
TEST_F(ButterflyFlight, AtSpeedZeroNothingMoves) {
  d.speed = 0u;
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(d.CreateObject()));
  auto* a = static_cast<AC_Butterfly*>(object->instances.front()->animator);
  const D3DXVECTOR3 start = a->position;
  SRand(21);
  const int first = Rand();
  SRand(21);
  for (int i = 1; i <= 50; ++i) object->Update(float(i) * 0.1f);
  EXPECT_EQ(Rand(), first);
  EXPECT_EQ(a->position, start);
  EXPECT_EQ(object->ctrl->animationTime, 0.0f);
}

TEST_F(ButterflyFlight, EveryInstanceIsARootWithTwoWingsLaidOutOverTheParts) {
  d.instanceCount = 2u;
  d.wingScale = 1.5f;
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(d.CreateObject()));
  ASSERT_EQ(object->parts.size(), 2u);
  EXPECT_EQ(object->parts[0].twoPass, 0);
  EXPECT_EQ(object->parts[1].twoPass, 1);
  std::vector<DS_Frame*> roots, wings;
  for (const InstanceRoot& root : object->instances) {
    auto* a = dynamic_cast<AC_Butterfly*>(root->animator);
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[0]->animator, a->wing1);
    EXPECT_EQ(root->children[1]->animator, a->wing2);
    EXPECT_EQ(root->children[0]->local._11, 1.5f);
    roots.push_back(root.get());
    wings.insert(wings.end(), root->children.begin(), root->children.end());
  }
  EXPECT_EQ(object->parts[0].frames, roots);
  EXPECT_EQ(object->parts[1].frames, wings);
  // The root is half size and turned a quarter about y: +x becomes -z.
  const D3DXMATRIX& local = roots[0]->local;
  EXPECT_NEAR(local._13, -0.5f, 1e-6);
  EXPECT_NEAR(local._31, 0.5f, 1e-6);
  EXPECT_NEAR(local._22, 0.5f, 1e-6);
  // After an update the wings move with their root, the second one mirrored.
  object->Update(0.1f);
  const D3DXMATRIX& w1 = wings[0]->world;
  const D3DXMATRIX& w2 = wings[1]->world;
  EXPECT_NEAR(w1._41, roots[0]->world._41, 1e-3);
  EXPECT_NEAR(w2._42, roots[0]->world._42, 1e-3);
  const auto* a = static_cast<AC_Butterfly*>(roots[0]->animator);
  EXPECT_EQ(wings[0]->cullMode, a->wingAngle > 0 ? 1 : 0);
  EXPECT_EQ(wings[1]->cullMode, a->wingAngle < 0 ? 1 : 0);
}

// The butterfly's own level, then the 3D object level down to the element name.
docbuild::Bytes ButterflyRecord(uint32_t version, float wingScale) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_ButterflyConstructor", version);
  doc.Link(u"body.png", 3).Link(u"vaultkit.dll", 80).U32(20).U32(70);
  if (version >= 2) doc.F32(wingScale);
  doc.Header(u"DS_3D_Obj_Ctrl", 1).U32(3).U32(150).Link(u"wing.png", 4).Link(u"vaultkit.dll", 81);
  doc.Header(u"DS_ViewObjCtrl", 2);
  for (int32_t edge : {0, 0, 0, 0, 0, 0}) doc.I32(edge);
  for (float fraction : {0.1f, 0.9f, 0.2f, 0.8f}) doc.F32(fraction);
  doc.U8(1).U32(60);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"flutter");
  return doc.Document();
}

std::unique_ptr<DS_ButterflyConstructor> Read(const docbuild::Bytes& bytes, bool* failed) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_ABObj_Constructor> object(ReadConstructorByClassName(&stream));
  *failed = stream->Failed();
  if (!dynamic_cast<DS_ButterflyConstructor*>(object.get())) return nullptr;
  return std::unique_ptr<DS_ButterflyConstructor>(static_cast<DS_ButterflyConstructor*>(object.release()));
}

TEST(ButterflyRecord, ReadsEachVersionAndSavesVersionTwo) {
  for (uint32_t version : {1u, 2u}) {
    SCOPED_TRACE(version);
    bool failed = true;
    auto d = Read(ButterflyRecord(version, 0.75f), &failed);
    ASSERT_TRUE(d);
    EXPECT_FALSE(failed);
    EXPECT_EQ(d->bodyImageLink.path, u"body.png");
    EXPECT_EQ(d->bodyMeshLink.stamp, 80);
    EXPECT_EQ(d->storedValue1.value, 20u);
    EXPECT_FLOAT_EQ(d->storedValue2.derived, 70.0f);  // the derived value followed
    EXPECT_EQ(d->wingScale, version >= 2 ? 0.75f : 1.0f);
    EXPECT_EQ(d->instanceCount.value, 3u);
    EXPECT_EQ(d->size.value, 150u);
    EXPECT_EQ(d->imageLink.path, u"wing.png");
    EXPECT_EQ(d->meshLink.stamp, 81);
    EXPECT_EQ(d->speed.value, 60u);
    EXPECT_EQ(d->name, u"flutter");

    std::unique_ptr<DS_3D_Obj_Ctrl> copy(d->Clone());
    docbuild::BuilderStream writer;
    DS_IOF_Virtual* out = &writer;
    EXPECT_TRUE(copy->Save(&out));
    EXPECT_EQ(writer.Written(), ButterflyRecord(2, d->wingScale));
  }
}

TEST(ButterflyRecord, ATruncatedRecordFailsTheStream) {
  const docbuild::Bytes whole = ButterflyRecord(2, 0.5f);
  for (size_t length : {whole.size() / 3, whole.size() - 1}) {
    bool failed = false;
    auto d = Read(docbuild::Truncated(whole, length), &failed);
    EXPECT_TRUE(failed) << length;
  }
}

// A butterfly whose body is a small cube, drawn on a black 256 x 256 picture at the back buffer's size.
class ButterflyPixels : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_Device = device_.Get();
    docbuild::DocumentBuilder doc;
    doc.DocResManager(2,
                      {{u"body.png", 1, {docbuild::Embedded(u"body.png", doc_res_test::Png(4, 4, 0xFF0000))}},
                       {u"wing.png", 1, {docbuild::Embedded(u"wing.png", doc_res_test::Png(4, 4, 0x00FF00))}}},
                      {},
                      {{u"vaultkit.dll", 68, {docbuild::LibraryCopy(68, u"vaultkit.dll", doc_res_test::TextBytes(doc_res_test::kCubeX))}},
                       {u"vaultkit.dll", 69, {docbuild::LibraryCopy(69, u"vaultkit.dll", doc_res_test::TextBytes(doc_res_test::kTriangleX))}}},
                      {});
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
  }
  void TearDown() override {
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    black_.Release();
    g_Device = nullptr;
    DeviceTest::TearDown();
  }

  void ShowBlackPicture(DS_2D_Light& light) {
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, black_.Out(), nullptr), S_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(black_->LockRect(0, &locked, nullptr, 0), S_OK);
    for (int y = 0; y < 4; ++y)
      std::fill_n(reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch), 4, 0xFF000000u);
    black_->UnlockRect(0);
    light.CreateScreenQuad();
    light.picture.SetFromInfo(256, 256, black_.Get());
    light.screenQuad.SetTextureEntry(light.picture);
    light.Resize(256, 256);
    light.SetPicturePosition(kFit);
    light.RestoreDeviceResources();
  }

  std::vector<uint32_t> BackBuffer() { return screen_.BackBuffer(); }

  static DS_ImageFileLink Image(const ds_string& path) {
    return DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(path, 1));
  }

  docbuild::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
  ComHolder<IDirect3DTexture9> black_;
};

// Size 1000 %: the cube of side 2 at x 10 becomes a box 20 across at x 100; the body's turns about
// x leave that axis alone, and the root's half size and quarter turn about y put the box, 10 across,
// 50 pixels along -z, straight behind the butterfly's place (128, 128) in the picture.
TEST_F(ButterflyPixels, TheBodyShowsInItsTextureAtTheButterflysPlace) {
  DS_2D_Light light;
  ShowBlackPicture(light);
  DS_ButterflyConstructor d;
  d.bodyImageLink = Image(u"body.png");
  d.imageLink = Image(u"wing.png");
  d.size = 1000u;
  d.speed = 0u;  // the animation clock stands: the butterfly stays where the test puts it
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(d.CreateObject()));
  ASSERT_TRUE(object->parts[0].vertexBuffer);
  ASSERT_TRUE(object->parts[0].texture);
  auto* a = static_cast<AC_Butterfly*>(object->instances.front()->animator);
  a->position = D3DXVECTOR3(128, 128, 0);
  a->heading = {0, 0, 350};
  ASSERT_EQ(device_->BeginScene(), S_OK);
  light.Render(false);
  object->Update(0.05f);
  object->Render(light);
  device_->EndScene();
  const std::vector<uint32_t> pixels = BackBuffer();
  ASSERT_EQ(pixels.size(), 256u * 256u);
  int red = 0, elsewhere = 0;
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const uint32_t p = pixels[size_t(y) * 256 + x];
      const bool near = std::abs(x - 128) <= 12 && std::abs(y - 128) <= 12;
      if (p == 0xFF0000u && near) ++red;
      if (p != 0 && !near) ++elsewhere;
    }
  }
  EXPECT_GE(red, 50);
  EXPECT_EQ(elsewhere, 0);
}

}  // namespace

namespace {

// Boxes of 50 pixels (the body at size 5000 %) tile the 256 x 256 picture 26 times side by side.
// A document may ask for any count: the frame then draws a few layers of butterflies over the
// rectangle, not millions, and a swarm that covers it once is drawn as stored.
TEST_F(ButterflyPixels, AHostileCountDrawsNoMoreThanTheRectangleShows) {
  constexpr size_t kTiles = 26;
  constexpr size_t kDrawsPerButterfly = 5;  // the body once, two wings in two passes each
  DS_2D_Light light;
  ShowBlackPicture(light);
  d3d9::Recorder* recorder = d3d9::RecorderOf(device_.Get());
  ASSERT_NE(recorder, nullptr);
  const auto drawsOfOneFrame = [&](UINT count) {
    DS_ButterflyConstructor d;
    d.bodyImageLink = Image(u"body.png");
    d.imageLink = Image(u"wing.png");
    d.size = 5000u;
    d.instanceCount = count;
    std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(d.CreateObject()));
    object->Update(0.05f);
    recorder->calls.clear();
    recorder->enabled = true;
    object->Render(light);
    recorder->enabled = false;
    return size_t(std::count_if(recorder->calls.begin(), recorder->calls.end(),
                                [](const d3d9::RecordedCall& call) { return call.name == "DrawIndexedPrimitive"; }));
  };
  EXPECT_EQ(drawsOfOneFrame(UINT(kTiles)), kTiles * kDrawsPerButterfly);
  for (UINT count : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(count);
    const size_t draws = drawsOfOneFrame(count);
    EXPECT_GE(draws, kTiles * kDrawsPerButterfly);
    EXPECT_LE(draws, 10 * kTiles * kDrawsPerButterfly);
  }
}

}  // namespace
