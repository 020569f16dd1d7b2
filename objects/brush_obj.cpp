#include "objects/brush_obj.h"

#include "document/doc_res_manager.h"

DS_BrushObj::DS_BrushObj(std::unique_ptr<DS_FX_Constructor> clone) {
  brush = clone.get();
  controller = std::move(clone);
  MaskHolder* mask = g_DocResManager ? &g_DocResManager->GuidTexture(brush->identity.guid) : nullptr;
  brush->Load(mask);
}
