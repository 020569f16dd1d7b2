// Many copies of one small textured mesh drifting across the whole layer picture in one direction,
// swaying sideways, wrapping round at the edges and tumbling as they go. The mesh and its picture
// travel inside the description's own record.
#pragma once
#include <windows.h>

#include "document/class_registry.h"
#include "document/media_param_t.h"
#include "document/resource_record.h"
#include "objects/drift_anim.h"
#include "render/ab_obj.h"
#include "render/ab_obj_constructor.h"
#include "render/indexed_mesh.h"
#include "document/vertex_formats.h"

class DS_3D_in_2D_array;

class DS_3D_in_2D_array_Constructor : public DS_ABObj_Constructor {
 public:
  DS_3D_in_2D_array_Constructor() = default;
  ~DS_3D_in_2D_array_Constructor() override = default;

  bool Save(DS_IOF_Virtual** stream) override { return SaveBase(stream); }
  // A new DS_3D_in_2D_array around a copy of this description.
  DS_ABObj* CreateObject() override;

  // "DS_3D_in_2D_array_Constructor" version 1, its fields, then the DS_ABObj_Constructor record.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  // Values are stored as read, nobody told; false once the stream has failed.
  bool ReadFields(DS_IOF_Virtual** stream);

  DS_3D_in_2D_array* renderObject = nullptr;  // the object built around this copy; not owned
  ResourceRecord meshRecord;
  ResourceRecord imageRecord;
  MediaParamT<UINT> itemCount{0};
  DriftParams drift;

 protected:
  // Name, records, item count and drift parameters with their direction vectors.
  DS_3D_in_2D_array_Constructor(const DS_3D_in_2D_array_Constructor& other) = default;
};

template <>
void IOF_ReadFields<DS_3D_in_2D_array_Constructor>(DS_IOF_Virtual** stream, DWORD version,
                                                   DS_3D_in_2D_array_Constructor& array);

class DS_3D_in_2D_array : public DS_ABObj {
 public:
  // Takes ownership of the copy, loads the mesh and its texture and makes the item frames.
  explicit DS_3D_in_2D_array(DS_3D_in_2D_array_Constructor* copy);
  // Every item frame with its animator, then the geometry's device objects, then the copy.
  ~DS_3D_in_2D_array() override;

  // Every item twice, alpha-blended, with opposite culling; nothing without items.
  void Render(DS_ABRender& layer) override;
  void DrawSelection(DS_ABRender&, int) override {}
  // Publishes the scene time to the drift animators, then moves every item in order.
  void Update(float time) override;
  void SyncLayout() override {}

  // The item frames are its children.
  TexturedMesh<DX_V::PNT> geometry;
  DS_3D_in_2D_array_Constructor* ctrl;  // the owned copy

 private:
  void LoadResources();
  void SyncItems();
  void AddItemFrame();
};
