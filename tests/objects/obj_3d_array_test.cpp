// The 3D object array: its instance list follows the description's instance count, its two parts are
// drawn in order, and the description's stored level round-trips.
#include "objects/obj_3d_array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "document/iof_reader.h"
#include "objects/clock_animators.h"
#include "document/device.h"
#include "render/ab_render.h"
#include "slideshow/view_2d.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"

namespace {

// What the probe's instances did, shared by the description and its clones.
struct Log {
  int built = 0;
  int assigned = 0;
  int next = 0;
  std::vector<int> deleted;
  float hitX = -1.0f, hitY = -1.0f;
};

// Writes world = local and records its frame's tag when it goes.
class TaggedAnim : public DS_AnimationBase {
 public:
  TaggedAnim(std::shared_ptr<Log> log, int tag) : log_(std::move(log)), tag_(tag) {}
  ~TaggedAnim() override { log_->deleted.push_back(tag_); }
  void Update(DS_Frame* frame) override {
    frame->world = frame->local;
    ++updates;
  }
  int updates = 0;

 private:
  std::shared_ptr<Log> log_;
  int tag_;
};

// Instance n: a root tagged n with one child tagged 1000 + n, which has a grandchild tagged 2000 + n.
class ProbeObject : public DS_3D_Obj_Ctrl {
 public:
  ProbeObject() = default;
  void BuildParts(MeshPartList& parts) override {
    ++log->built;
    ResizeParts(parts, 2);
    parts[1].twoPass = 1;
  }
  void AssignInstances(const InstanceList& instances, MeshPartList& parts) override {
    ++log->assigned;
    if (!assigns) return DS_3D_Obj_Ctrl::AssignInstances(instances, parts);
    parts[0].frames.clear();
    parts[1].frames.clear();
    for (const InstanceRoot& root : instances) {
      for (DS_Frame* child : root->children) parts[1].frames.push_back(child);
      parts[0].frames.push_back(root.get());
    }
  }
  DS_Frame* CreateInstance() override {
    const int n = log->next++;
    auto* root = new DS_Frame;
    root->animator = new TaggedAnim(log, n);
    root->boundingRadius = float(n);
    auto* child = new DS_Frame;
    child->animator = new TaggedAnim(log, 1000 + n);
    auto* grandchild = new DS_Frame;
    grandchild->animator = new TaggedAnim(log, 2000 + n);
    child->children.push_back(grandchild);
    root->children.push_back(child);
    if (clockRoot) {
      delete root->animator;
      log->deleted.pop_back();
      root->animator = new AC_Static(*this, rectangle);
    }
    return root;
  }
  int SelectionMode() override { return selection; }
  bool HitTest(float x, float y) override {
    log->hitX = x;
    log->hitY = y;
    return true;
  }
  DS_3D_Obj_Ctrl* Clone() const override { return new ProbeObject(*this); }

  std::shared_ptr<Log> log = std::make_shared<Log>();
  int selection = 0;
  bool clockRoot = false;  // roots carry an animator that observes the description
  bool assigns = true;     // false: the base's assignment, which does nothing
  MediaRectangle rectangle;

 protected:
  ProbeObject(const ProbeObject& other) = default;
};

// Records what the object hands to the layer.
class RecordingLayer : public DS_ABRender {
 public:
  struct Selection {
    int selected;
    bool steady;
    std::vector<DX_V::PC> vertices;
  };

  bool Save(DS_IOF_Virtual**) override { return true; }
  void BeginTarget(RenderTargetPair&, int) override {}
  void EndTarget() override {}
  void DrawSelection(DS_SimpleMesh<DX_V::PC>& quad, int selected, bool steady) override {
    Selection s{selected, steady, {}};
    if (DX_V::PC* v = quad.LockVertices()) {
      s.vertices.assign(v, v + quad.vertexCount);
      quad.UnlockVertices();
    }
    selections.push_back(s);
  }
  void DrawGridWithEffect(DS_IndexedMesh<DX_V::PT>&, ID3DXEffect*) override {}
  void DrawQuadWithEffect(DS_SimpleMesh<DX_V::PT>&, ID3DXEffect*) override {}
  void DrawSpritesWithEffect(DS_IndexedMesh<DX_V::PCT>&, ID3DXEffect*) override {}
  void DrawMeshFrame(MeshPart& part) override { meshes.push_back({&part, part.frames}); }
  void DrawSpriteArray(const SpriteArrayDraw&) override {}
  void Draw3DInLayer(TexturedMesh<DX_V::PNT>&) override {}
  void DrawPulsingQuad(TexturedQuad<DX_V::PT>&, const D3DXMATRIX*, bool) override {}
  ComHolder<IDirect3DTexture9>& GetBackground() override { return background; }
  TexturedQuad<DX_V::PT>& GetScreenQuad() override { return screenQuad; }
  UINT GetWidth() const override { return 0; }
  UINT GetHeight() const override { return 0; }

  struct MeshDraw {
    const MeshPart* part;
    std::vector<DS_Frame*> frames;
  };
  std::vector<MeshDraw> meshes;
  std::vector<Selection> selections;
  ComHolder<IDirect3DTexture9> background;
  TexturedQuad<DX_V::PT> screenQuad;
};

std::unique_ptr<DS_3DObjArray> Make(ProbeObject& d) {
  return std::unique_ptr<DS_3DObjArray>(static_cast<DS_3DObjArray*>(d.CreateObject()));
}

std::vector<int> RootTags(const DS_3DObjArray& object) {
  std::vector<int> tags;
  for (const InstanceRoot& root : object.instances) tags.push_back(int(root->boundingRadius));
  return tags;
}

TEST(Obj3DArray, NoInstancesGivesTwoBuiltPartsThatDrawNothingAndOnlyTheClockMoves) {
  ProbeObject d;
  d.instanceCount = 0u;
  auto object = Make(d);
  EXPECT_EQ(d.log->built, 1);
  EXPECT_EQ(d.log->assigned, 1);
  ASSERT_EQ(object->parts.size(), 2u);
  EXPECT_EQ(object->parts[1].twoPass, 1);
  EXPECT_TRUE(object->instances.empty());
  RecordingLayer layer;
  object->Render(layer);
  ASSERT_EQ(layer.meshes.size(), 2u);
  EXPECT_TRUE(layer.meshes[0].frames.empty());
  EXPECT_TRUE(layer.meshes[1].frames.empty());
  object->Update(0.1f);
  EXPECT_FLOAT_EQ(object->ctrl->animationTime, 0.1f);  // speed 50: one second per second
  EXPECT_EQ(d.log->next, 0);
}

TEST(Obj3DArray, TheCloneIsOwnedAndTheDescriptionStaysUntouched) {
  ProbeObject d;
  d.instanceCount = 2u;
  auto object = Make(d);
  EXPECT_NE(object->ctrl, &d);
  EXPECT_EQ(object->Controller(), object->ctrl);
  EXPECT_EQ(RootTags(*object), (std::vector<int>{0, 1}));
  object->ctrl->instanceCount.SetAndNotify(0);
  EXPECT_EQ(d.instanceCount.value, 2u);
}

TEST(Obj3DArray, LoweringTheCountDeletesTheOldestInstancesWithTheirWholeTrees) {
  ProbeObject d;
  d.instanceCount = 3u;
  auto object = Make(d);
  ASSERT_EQ(RootTags(*object), (std::vector<int>{0, 1, 2}));
  object->ctrl->instanceCount.SetAndNotify(1);
  EXPECT_EQ(RootTags(*object), (std::vector<int>{2}));
  // Every level of the two oldest trees goes, the grandchildren too.
  std::vector<int> deleted = d.log->deleted;
  std::sort(deleted.begin(), deleted.end());
  EXPECT_EQ(deleted, (std::vector<int>{0, 1, 1000, 1001, 2000, 2001}));
  // The parts now point only at the survivor's frames.
  DS_Frame* survivor = object->instances.front().get();
  EXPECT_EQ(object->parts[0].frames, (std::vector<DS_Frame*>{survivor}));
  EXPECT_EQ(object->parts[1].frames, survivor->children);
}

TEST(Obj3DArray, RaisingTheCountAppendsNewInstancesAndKeepsTheOldOnes) {
  ProbeObject d;
  auto object = Make(d);
  DS_Frame* first = object->instances.front().get();
  object->Update(0.05f);
  object->Update(0.10f);
  object->ctrl->instanceCount.SetAndNotify(3);
  EXPECT_EQ(RootTags(*object), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(object->instances.front().get(), first);
  EXPECT_EQ(static_cast<TaggedAnim*>(first->animator)->updates, 2);
  EXPECT_EQ(object->parts[0].frames.size(), 3u);
  EXPECT_EQ(object->parts[0].frames.front(), first);
  EXPECT_TRUE(d.log->deleted.empty());
}

// A description that leaves the parts alone must not leave them pointing at deleted frames.
TEST(Obj3DArray, PartsNeverKeepFramesOfDeletedInstances) {
  ProbeObject d;
  d.instanceCount = 2u;
  auto object = Make(d);
  object->parts[0].frames.push_back(object->instances.front().get());
  static_cast<ProbeObject*>(object->ctrl)->assigns = false;
  object->ctrl->instanceCount.SetAndNotify(1);
  EXPECT_TRUE(object->parts[0].frames.empty());
  EXPECT_TRUE(object->parts[1].frames.empty());
}

TEST(Obj3DArray, AnUnchangedCountStillReassigns) {
  ProbeObject d;
  d.instanceCount = 2u;
  auto object = Make(d);
  object->parts[0].frames.clear();
  DS_3DObjArray::OnCountChanged(object.get(), 2);
  EXPECT_EQ(d.log->assigned, 2);
  EXPECT_EQ(d.log->next, 2);
  EXPECT_EQ(object->parts[0].frames.size(), 2u);
}

// A document may ask for any count. Instances that lie over one another in one place, as every
// clock's do, stop after a few layers instead of making every frame slow for nothing seen.
TEST(Obj3DArray, AHostileCountStopsAtWhatCanBeSeen) {
  for (UINT count : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(count);
    ProbeObject d;
    d.instanceCount = count;
    auto object = Make(d);
    EXPECT_GE(object->instances.size(), 2u);
    EXPECT_LE(object->instances.size(), 10u);
    EXPECT_EQ(object->ctrl->instanceCount.value, count);  // the stored value is kept
  }
}

TEST(Obj3DArray, UpdateAdvancesTheClockThenEveryInstance) {
  ProbeObject d;
  d.instanceCount = 2u;
  d.speed = 100u;
  auto object = Make(d);
  object->Update(0.1f);
  EXPECT_FLOAT_EQ(object->ctrl->animationStep, 0.2f);
  for (const InstanceRoot& root : object->instances) {
    EXPECT_EQ(static_cast<TaggedAnim*>(root->animator)->updates, 1);
    // The children follow their root.
    EXPECT_EQ(static_cast<TaggedAnim*>(root->children[0]->animator)->updates, 1);
  }
}

TEST(Obj3DArray, PartZeroIsDrawnBeforePartOne) {
  ProbeObject d;
  d.instanceCount = 2u;
  auto object = Make(d);
  RecordingLayer layer;
  object->Render(layer);
  ASSERT_EQ(layer.meshes.size(), 2u);
  EXPECT_EQ(layer.meshes[0].part, &object->parts[0]);
  EXPECT_EQ(layer.meshes[1].part, &object->parts[1]);
  EXPECT_EQ(layer.meshes[0].frames.size(), 2u);
  EXPECT_EQ(layer.meshes[1].frames.size(), 2u);
}

TEST(Obj3DArray, HitTestAsksTheDescriptionWithThePoint) {
  ProbeObject d;
  auto object = Make(d);
  EXPECT_TRUE(object->HitTest(POINT{12, -7}, 0));
  EXPECT_EQ(d.log->hitX, 12.0f);
  EXPECT_EQ(d.log->hitY, -7.0f);
}

// An animator observing the description must go while the description is still there; the
// sanitizer build catches the other order.
TEST(Obj3DArray, InstancesGoBeforeTheDescriptionTheyObserve) {
  ProbeObject d;
  d.clockRoot = true;
  d.instanceCount = 2u;
  auto object = Make(d);
  object->ctrl->size.SetAndNotify(30);
  object.reset();
  EXPECT_EQ(d.log->deleted.size(), 4u);  // two children and two grandchildren; the roots were clocks
}

class Obj3DArrayDevice : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_Device = device_.Get();
    saved_ = g_LayerView;
    g_LayerView.pictureWidth = 200;
    g_LayerView.pictureHeight = 100;
  }
  void TearDown() override {
    g_LayerView = saved_;
    g_Device = nullptr;
    DeviceTest::TearDown();
  }
  LayerView saved_;
};

TEST_F(Obj3DArrayDevice, SelectionIsATranslucentBlackQuadOverTheRectangle) {
  struct Case {
    int mode, value;
    bool steady;
  };
  for (const Case& c : {Case{0, 0, false}, Case{1, 1, true}, Case{0, 5, true}}) {
    SCOPED_TRACE(c.mode * 10 + c.value);
    ProbeObject d;
    d.left = 0.25f, d.right = 0.75f, d.top = 0.1f, d.bottom = 0.9f;
    d.selection = c.mode;
    auto object = Make(d);
    RecordingLayer layer;
    object->DrawSelection(layer, c.value);
    ASSERT_EQ(layer.selections.size(), 1u);
    const RecordingLayer::Selection& s = layer.selections[0];
    EXPECT_EQ(s.selected, c.mode);
    EXPECT_EQ(s.steady, c.steady);
    ASSERT_EQ(s.vertices.size(), 4u);
    const float expected[4][2] = {{50, 90}, {50, 10}, {150, 90}, {150, 10}};
    for (int i = 0; i < 4; ++i) {
      EXPECT_FLOAT_EQ(s.vertices[i].x, expected[i][0]);
      EXPECT_FLOAT_EQ(s.vertices[i].y, expected[i][1]);
      EXPECT_EQ(s.vertices[i].color, 0x88000000u);
    }
  }
}

// The intermediate level of every member's record.
void ObjLevel(docbuild::DocumentBuilder& doc, uint32_t version, uint32_t count, uint32_t size) {
  doc.Header(u"DS_3D_Obj_Ctrl", version).U32(count).U32(size);
  doc.Link(u"wings.png", 7).Link(u"vaultkit.dll", 69);
  doc.Header(u"DS_ViewObjCtrl", 2);
  for (int32_t edge : {10, 90, 20, 80, 0, 0}) doc.I32(edge);
  for (float fraction : {0.125f, 0.875f, 0.25f, 0.75f}) doc.F32(fraction);
  doc.U8(1).U32(75);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"swarm");
}

TEST(Obj3DCtrlRecord, TheLevelIsReadWhateverItsVersionAndSavedAsVersionOne) {
  for (uint32_t version : {1u, 0u, 9u}) {
    SCOPED_TRACE(version);
    docbuild::DocumentBuilder doc;
    ObjLevel(doc, version, 4, 120);
    const docbuild::Bytes bytes = doc.Document();
    ResourceBuffer buffer(bytes.data(), bytes.size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    ProbeObject d;
    ASSERT_TRUE(d.ReadBase(&stream));
    EXPECT_EQ(d.instanceCount.value, 4u);
    EXPECT_EQ(d.size.value, 120u);
    EXPECT_EQ(d.imageLink.path, u"wings.png");
    EXPECT_EQ(d.imageLink.stamp, 7);
    EXPECT_EQ(d.meshLink.path, u"vaultkit.dll");
    EXPECT_EQ(d.meshLink.stamp, 69);
    EXPECT_EQ(d.speed.value, 75u);
    EXPECT_FLOAT_EQ(d.right, 0.875f);
    EXPECT_EQ(d.name, u"swarm");

    docbuild::BuilderStream writer;
    DS_IOF_Virtual* out = &writer;
    EXPECT_TRUE(d.Save(&out));
    docbuild::DocumentBuilder expected;
    ObjLevel(expected, 1, 4, 120);
    EXPECT_EQ(writer.Written(), expected.Document());
  }
}

TEST(Obj3DCtrlRecord, ATruncatedLevelFailsWithoutHarm) {
  docbuild::DocumentBuilder doc;
  ObjLevel(doc, 1, 4, 120);
  const docbuild::Bytes whole = doc.Document();
  for (size_t length : {size_t{0}, size_t{10}, whole.size() / 2, whole.size() - 1}) {
    SCOPED_TRACE(length);
    const docbuild::Bytes bytes = docbuild::Truncated(whole, length);
    ResourceBuffer buffer(bytes.data(), bytes.size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    ProbeObject d;
    EXPECT_FALSE(d.ReadBase(&stream));
    d.instanceCount = std::min(d.instanceCount.value, 3u);
    auto object = Make(d);
    EXPECT_LE(object->instances.size(), 3u);
  }
}

TEST(Obj3DCtrl, DefaultsAndCopy) {
  ProbeObject d;
  EXPECT_EQ(d.instanceCount.value, 1u);
  EXPECT_EQ(d.size.value, 50u);
  EXPECT_EQ(d.speed.value, 50u);
  EXPECT_TRUE(d.imageLink.path.empty());
  EXPECT_EQ(d.SelectionMode(), 0);
  d.instanceCount = 6u;
  d.size = 70u;
  d.speed = 20u;
  d.imageLink = DS_FileLink3::ConstructFromSnapshot(u"a.png", 3);
  d.meshLink = DS_FileLink3::ConstructFromSnapshot(u"b.x", 4);
  std::unique_ptr<DS_3D_Obj_Ctrl> copy(d.Clone());
  EXPECT_EQ(copy->instanceCount.value, 6u);
  EXPECT_EQ(copy->size.value, 70u);
  EXPECT_EQ(copy->speed.value, 20u);
  EXPECT_EQ(copy->imageLink.path, u"a.png");
  EXPECT_EQ(copy->meshLink.stamp, 4);
}

}  // namespace
