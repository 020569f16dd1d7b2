#include "objects/obj_3d_array.h"

#include <algorithm>

#include "document/fun_light_ctrl.h"
#include "render/quad_corners.h"
#include "render/simple_mesh.h"
#include "render/ab_render.h"

namespace {
constexpr D3DCOLOR kSelectionColor = 0x88000000;
}  // namespace

DS_3DObjArray::DS_3DObjArray(DS_3D_Obj_Ctrl* clone) : ctrl(clone) {
  controller.reset(clone);
  ctrl->BuildParts(parts);
  BindCount();
}

// The instances go first, while the parts that point at their frames and the description their
// animators observe are still there.
DS_3DObjArray::~DS_3DObjArray() {
  instances.clear();
  for (MeshPart& part : parts) part.frames.clear();
}

void DS_3DObjArray::BindCount() {
  auto observer = std::make_unique<DS_FunLightCtrl<UINT, DS_3DObjArray>>(&DS_3DObjArray::OnCountChanged, this);
  observer->Attach(&ctrl->instanceCount);
  DS_FunLightCtrl<UINT, DS_3DObjArray>* fired = observer.get();
  controls_.Add(std::move(observer));
  fired->OnChange(nullptr);
}

void DS_3DObjArray::OnCountChanged(DS_3DObjArray* self, UINT count) {
  const size_t wanted = std::min(count, self->ctrl->MostInstancesSeen(self->parts));
  while (self->instances.size() < wanted) {
    DS_Frame* root = self->ctrl->CreateInstance();
    if (!root) break;
    self->instances.emplace_back(root);
  }
  while (self->instances.size() > wanted) self->instances.pop_front();
  // The parts may still point at frames just deleted; the description refills them from the list.
  for (MeshPart& part : self->parts) part.frames.clear();
  self->ctrl->AssignInstances(self->instances, self->parts);
}

void DS_3DObjArray::Update(float time) {
  ctrl->TimeStep(time);
  for (const InstanceRoot& root : instances) root->UpdateMatrices(nullptr);
}

void DS_3DObjArray::Render(DS_ABRender& layer) {
  for (MeshPart& part : parts) layer.DrawMeshFrame(part);
}

void DS_3DObjArray::DrawSelection(DS_ABRender& layer, int value) {
  QuadCorners corners;
  ctrl->GetScreenQuad(&corners);
  DS_SimpleMesh<DX_V::PC> quad;
  quad.BuildQuad(kSelectionColor, corners);
  layer.DrawSelection(quad, ctrl->SelectionMode(), value != 0);
}

bool DS_3DObjArray::HitTest(const POINT& point, int) {
  return ctrl->HitTest(static_cast<float>(point.x), static_cast<float>(point.y));
}
