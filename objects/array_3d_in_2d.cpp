#include "objects/array_3d_in_2d.h"

#include <algorithm>

#include "document/resource_store.h"
#include "objects/copies_seen.h"
#include "render/frame.h"
#include "render/ab_render.h"
#include "slideshow/view_2d.h"

DS_ABObj* DS_3D_in_2D_array_Constructor::CreateObject() {
  return new DS_3D_in_2D_array(new DS_3D_in_2D_array_Constructor(*this));
}

DS_3D_in_2D_array::DS_3D_in_2D_array(DS_3D_in_2D_array_Constructor* copy) : ctrl(copy) {
  controller.reset(copy);
  ctrl->renderObject = this;
  LoadResources();
  SyncItems();
}

DS_3D_in_2D_array::~DS_3D_in_2D_array() {
  geometry.DeleteWithChildren();
}

// Without a resource store there is nothing to load: the items then draw nothing.
void DS_3D_in_2D_array::LoadResources() {
  if (!g_ResourceStore || !*g_ResourceStore) return;
  ResourceStore& store = **g_ResourceStore;
  const TextureEntry picture = store.GetRecordTexture(ctrl->imageRecord);
  geometry.texture.Set(picture.texture.Get());
  const MeshEntry mesh = store.GetRecordMesh(ctrl->meshRecord, sizeof(DX_V::PNT));
  geometry.vertexBuffer.Set(mesh.vertexBuffer.Get());
  geometry.indexBuffer.Set(mesh.indexBuffer.Get());
  geometry.vertexCount = mesh.vertexCount;
  geometry.triangleCount = mesh.faceCount;
  geometry.boundingRadius = mesh.boundingRadius;
  geometry.boundingCentre = mesh.boundingCentre;
  geometry.primitiveType = D3DPT_TRIANGLELIST;
}

// A document may ask for any count: no more items are made than can be seen over the picture at
// their size.
void DS_3D_in_2D_array::SyncItems() {
  const double pictureArea = double(g_LayerView.pictureWidth) * double(g_LayerView.pictureHeight);
  const size_t count = std::min(ctrl->itemCount.value, CopiesSeen(pictureArea, ctrl->drift.itemSize.value));
  while (geometry.children.size() < count) AddItemFrame();
  while (geometry.children.size() > count) {
    DS_Frame* first = geometry.children.front();
    geometry.children.erase(geometry.children.begin());
    delete first;
  }
}

// The item turns about the centre of the mesh's bounding sphere.
void DS_3D_in_2D_array::AddItemFrame() {
  auto* item = new DS_Frame;
  item->boundingRadius = geometry.boundingRadius;
  item->boundingCentre = geometry.boundingCentre;
  const D3DXVECTOR3& c = geometry.boundingCentre;
  D3DXMatrixTranslation(&item->local, -c.x, -c.y, -c.z);
  item->animator = new DS_LeafFallAnim(&ctrl->drift);
  geometry.children.push_back(item);
}

void DS_3D_in_2D_array::Update(float time) {
  g_DriftTime = time;
  geometry.UpdateMatrices(nullptr);
}

void DS_3D_in_2D_array::Render(DS_ABRender& layer) {
  if (geometry.children.empty()) return;
  layer.Draw3DInLayer(geometry);
}
