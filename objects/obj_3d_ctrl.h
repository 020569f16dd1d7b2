// The description of a placed 3D object (butterflies, a clock): how many instances its render object
// holds, their size, and the image and mesh of one of its two mesh parts. The members decide which
// meshes the two parts get, what one instance looks like and which frames each part draws.
#pragma once
#include <deque>
#include <list>
#include <memory>

#include <windows.h>

#include "document/file_link.h"
#include "document/image_file_link.h"
#include "document/media_param_t.h"
#include "render/mesh_part.h"
#include "render/frame.h"
#include "render/view_obj_ctrl.h"

// Deletes an instance tree bottom-up: every frame below the root, then the root, each with its animator.
struct FrameTreeDelete {
  void operator()(DS_Frame* root) const;
};
using InstanceRoot = std::unique_ptr<DS_Frame, FrameTreeDelete>;
using InstanceList = std::list<InstanceRoot>;
// A deque, because a part is a frame and frames never move once made.
using MeshPartList = std::deque<MeshPart>;

// Grows the list with new empty parts, or drops parts from its end, to `count` parts.
void ResizeParts(MeshPartList& parts, size_t count);

class DS_3D_Obj_Ctrl : public DS_ViewObjCtrl {
 public:
  // One instance of size 50, no links, speed 50.
  DS_3D_Obj_Ctrl();
  ~DS_3D_Obj_Ctrl() override = default;

  bool Save(DS_IOF_Virtual** stream) override { return SaveBase(stream); }
  // A new DS_3DObjArray around a clone of this description.
  DS_ABObj* CreateObject() override;

  // Gives the render object its two parts, loaded, with their two-pass switches set.
  virtual void BuildParts(MeshPartList& parts) = 0;
  // Refills both parts' frame lists from the instance roots after every change of the instances.
  virtual void AssignInstances(const InstanceList& instances, MeshPartList& parts);
  // A new instance: a root frame with its animator and its child frames, owned by the caller.
  virtual DS_Frame* CreateInstance() = 0;
  // The selected argument handed to the layer with the selection quad.
  virtual int SelectionMode() { return 0; }
  virtual DS_3D_Obj_Ctrl* Clone() const = 0;
  // The most instances that can be seen, whatever count a document stores. By default the
  // instances are taken to lie over one another in one place, as every clock does.
  virtual UINT MostInstancesSeen(const MeshPartList& parts) const;

  // "DS_3D_Obj_Ctrl" version 1, this level's fields, then the DS_ViewObjCtrl record.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  bool SaveFields(DS_IOF_Virtual** stream) const;
  // The same record; any stored version is taken. Values are stored without telling anyone. False
  // once the stream has failed.
  bool ReadBase(DS_IOF_Virtual** stream);

  MediaParamT<UINT> instanceCount{1};
  MediaParamT<UINT> size{50};  // percent or pixels, as the member decides
  DS_ImageFileLink imageLink;
  DS_MeshFile meshLink;

 protected:
  // The DS_ViewObjCtrl part, both values and both links.
  DS_3D_Obj_Ctrl(const DS_3D_Obj_Ctrl& other);
};
