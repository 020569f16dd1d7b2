#include <memory>

#include "document/doc_res_manager.h"
#include "render/particle_sprite_prop.h"
#include "render/sprite_array_obj.h"

DS_ABObj* DS_ParticleSystemCtrl::CreateObject() {
  ResolveImageLinks();
  return new DS_SpriteArrayObj(std::unique_ptr<DS_BaseSpriteProp>(Clone()));
}

void DS_ParticleSystemCtrl::ResolveImageLinks() {
  if (!imageLink.path.empty() || !g_DocResManager) return;
  // Only path and stamp are taken: nobody observing the links is told.
  if (!legacyPictures.empty()) imageLink = *g_DocResManager->AddImageRecords(legacyFrameTimes, legacyPictures);
  if (legacyMask.id != 0) maskLink = *g_DocResManager->AddImageRecord(legacyMask);
  legacyPictures.clear();
  legacyFrameTimes.clear();
}
