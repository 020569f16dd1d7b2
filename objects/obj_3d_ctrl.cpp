#include "objects/obj_3d_ctrl.h"

#include "document/doc_res_manager.h"
#include "objects/copies_seen.h"
#include "objects/obj_3d_array.h"

namespace {
const ds_string kClassName = u"DS_3D_Obj_Ctrl";
constexpr DWORD kVersion = 1;

void DeleteBelow(DS_Frame* frame) {
  for (DS_Frame* child : frame->children) DeleteBelow(child);
  frame->DeleteWithChildren();
}
}  // namespace

// Deeper trees than root and children must not leak, so every level goes, not only the first.
void FrameTreeDelete::operator()(DS_Frame* root) const {
  if (!root) return;
  DeleteBelow(root);
  delete root;
}

void ResizeParts(MeshPartList& parts, size_t count) {
  while (parts.size() < count) parts.emplace_back();
  while (parts.size() > count) parts.pop_back();
}

DS_3D_Obj_Ctrl::DS_3D_Obj_Ctrl() { speed = 50; }

DS_3D_Obj_Ctrl::DS_3D_Obj_Ctrl(const DS_3D_Obj_Ctrl& other)
    : DS_ViewObjCtrl(other),
      instanceCount(other.instanceCount.value),
      size(other.size.value),
      imageLink(other.imageLink),
      meshLink(other.meshLink) {}

DS_ABObj* DS_3D_Obj_Ctrl::CreateObject() { return new DS_3DObjArray(Clone()); }

void DS_3D_Obj_Ctrl::AssignInstances(const InstanceList&, MeshPartList&) {}

UINT DS_3D_Obj_Ctrl::MostInstancesSeen(const MeshPartList&) const { return kCopyLayersSeen; }

bool DS_3D_Obj_Ctrl::SaveBase(DS_IOF_Virtual** stream) const {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  return SaveFields(stream);
}

bool DS_3D_Obj_Ctrl::SaveFields(DS_IOF_Virtual** stream) const {
  DS_IOF_Virtual* out = *stream;
  out->WriteUInt(&instanceCount.value);
  out->WriteUInt(&size.value);
  if (g_DocResManager) g_DocResManager->MarkUsed(imageLink);
  out->WriteString(&imageLink.path);
  out->WriteInt64(&imageLink.stamp);
  WriteFileLink(stream, meshLink);
  return DS_ViewObjCtrl::SaveBase(stream);
}

bool DS_3D_Obj_Ctrl::ReadBase(DS_IOF_Virtual** stream) {
  ds_string className;  // known from its place: read and ignored
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  (*stream)->ReadUInt(&instanceCount.value);
  (*stream)->ReadUInt(&size.value);
  ReadFileLink(stream, &imageLink);
  ReadFileLink(stream, &meshLink);
  return DS_ViewObjCtrl::ReadBase(stream) && !(*stream)->Failed();
}
