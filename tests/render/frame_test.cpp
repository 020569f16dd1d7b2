#include "render/frame.h"

#include <gtest/gtest.h>

namespace {

D3DXMATRIX Translation(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, z);
  return m;
}
D3DXMATRIX RotationZ(float angle) {
  D3DXMATRIX m;
  D3DXMatrixRotationZ(&m, angle);
  return m;
}
D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX m;
  D3DXMatrixMultiply(&m, &a, &b);
  return m;
}

// Writes a fixed matrix and counts its own destruction.
class FixedAnimator : public DS_AnimationBase {
 public:
  FixedAnimator(const D3DXMATRIX& matrix, int* deaths) : matrix_(matrix), deaths_(deaths) {}
  ~FixedAnimator() override { ++*deaths_; }
  void Update(DS_Frame* frame) override { frame->world = matrix_; }

 private:
  D3DXMATRIX matrix_;
  int* deaths_;
};

}  // namespace

TEST(DS_Frame, WorldIsLocalThenParentDownTheTree) {
  // A rotation and a translation do not commute, so the order of the products shows.
  const D3DXMATRIX local = RotationZ(0.5f);
  const D3DXMATRIX parent = Translation(10.0f, 0.0f, 0.0f);
  const D3DXMATRIX childLocal = Translation(0.0f, 3.0f, 0.0f);
  DS_Frame frame;
  DS_Frame child;
  frame.local = local;
  child.local = childLocal;
  frame.children.push_back(&child);

  frame.UpdateMatrices(nullptr);
  EXPECT_EQ(frame.world, local);

  frame.UpdateMatrices(&parent);
  EXPECT_EQ(frame.world, Product(local, parent));
  EXPECT_NE(frame.world, Product(parent, local));
  EXPECT_EQ(child.world, Product(childLocal, Product(local, parent)));
  frame.children.clear();
}

TEST(DS_Frame, AnimatorReplacesLocalAndDiesWithTheFrame) {
  int deaths = 0;
  const D3DXMATRIX animated = Translation(1.0f, 2.0f, 3.0f);
  const D3DXMATRIX parent = RotationZ(1.0f);
  {
    DS_Frame frame;
    frame.local = RotationZ(0.25f);
    frame.animator = new FixedAnimator(animated, &deaths);
    frame.UpdateMatrices(&parent);
    EXPECT_EQ(frame.world, Product(animated, parent));
  }
  EXPECT_EQ(deaths, 1);
}

TEST(DS_Frame, DeleteWithChildrenDeletesDirectChildrenOnly) {
  int deaths = 0;
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  auto* root = new DS_Frame;
  auto* child = new DS_Frame;
  child->animator = new FixedAnimator(identity, &deaths);
  DS_Frame grandchild;  // owned elsewhere: must survive its parent's deletion
  grandchild.animator = new FixedAnimator(identity, &deaths);
  child->children.push_back(&grandchild);
  root->children.push_back(child);

  root->DeleteWithChildren();
  EXPECT_EQ(deaths, 1);
  EXPECT_TRUE(root->children.empty());
  delete root;
  EXPECT_EQ(deaths, 1);
}

TEST(DS_Frame, PlainDestructionLeavesChildrenAlive) {
  int deaths = 0;
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  DS_Frame child;
  child.animator = new FixedAnimator(identity, &deaths);
  {
    DS_Frame root;
    root.children.push_back(&child);
  }
  EXPECT_EQ(deaths, 0);
}
