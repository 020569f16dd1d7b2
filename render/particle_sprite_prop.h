// The description of everything the sprites of a particle layer share: their number, size, opacity,
// blend mode, tint, alpha ramp, picture (one picture or a package shown in turn), mask, frame strip
// and flips. The concrete particle classes give each particle its start state and its motion.
#pragma once
#include <windows.h>

#include <vector>

#include "document/image_file_link.h"
#include "document/media_color.h"
#include "document/media_param_t.h"
#include "document/resource_record.h"
#include "document/scaled_params.h"
#include "render/view_obj_ctrl.h"

struct Particle;

class DS_BaseSpriteProp : public DS_ViewObjCtrl {
 public:
  DS_BaseSpriteProp();
  ~DS_BaseSpriteProp() override = default;

  // Writes the "DS_BaseSpriteProp" record; always true.
  bool Save(DS_IOF_Virtual** stream) override;

  // A particle the geometry has just prepared gets its class's start state; nothing here.
  virtual void InitParticle(Particle&) {}
  // One frame of one particle's motion, after this description's TimeStep; nothing here.
  virtual void UpdateParticle(Particle&) {}
  // The strip frame after `current`. A frame count of 0 counts as 1.
  virtual UINT NextFrame(UINT current);

  // The strip runs only with at least one frame; 0 frames count as one.
  UINT StripFrames() const { return frameCount == 0 ? 1 : frameCount; }

  // "DS_BaseSpriteProp" version 6: the header, the "DS_ViewObjCtrl" record, then the fields. The
  // speed row and the legacy rows of the old versions are never written.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  // Reads the header, then the fields of the stored version; each concrete class's reader calls it
  // after its own fields. False once the stream has failed.
  bool ReadBase(DS_IOF_Virtual** stream);
  // Values go straight into the properties; only the transparency is set and notified, so that the
  // maximum opacity follows it.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);

  MediaParamT<UINT> count{1};
  MediaParamT<UINT> size{0};
  // Percent; its derived byte is the maximum opacity 255 - 2.55 x transparency.
  UINTSclaleTo<unsigned char> transparency;
  MediaParamT<INT> blendMode{0};  // 0 alpha blending, 1 additive
  MediaColor color{0xFFFFFFu};    // 0x00BBGGRR
  float alphaRate = 0.0f;
  float alphaMinimum = 0.0f;
  float alphaMaximum = 1.0f;
  float sizeFactorMinimum = 1.0f;
  float sizeFactorMaximum = 1.0f;
  DS_ImageFileLink imageLink;
  DS_ImageFileLink maskLink;
  UINT reservedCount = 1;
  float reservedValue = 0.0f;
  UINT frameCount = 1;
  float frameRate = 0.0f;  // strip frames per second of animation time
  bool stripAnimation = false;
  INT imageMode = 0;       // 1: the image link names a package of pictures
  MediaParamT<INT> verticalFlip{0};
  MediaParamT<INT> horizontalFlip{0};
  MediaParamT<INT> refillOnImageChange{0};
  // Only version-1 records fill these; ResolveImageLinks turns them into the links.
  std::vector<float> legacyFrameTimes;
  std::vector<ResourceRecord> legacyPictures;
  ResourceRecord legacyMask;

 protected:
  // Every field is copied; observers are not.
  DS_BaseSpriteProp(const DS_BaseSpriteProp& other);
};

// The base of every concrete particle class: it adds the copy that a render object is built around.
class DS_ParticleSystemCtrl : public DS_BaseSpriteProp {
 public:
  DS_ParticleSystemCtrl() = default;
  // The links made from the legacy records first, then a sprite object around a clone.
  DS_ABObj* CreateObject() override;
  // A new description of the same class with every stored field copied.
  virtual DS_ParticleSystemCtrl* Clone() const = 0;

  // Gives a description read from a version-1 record its links: the legacy pictures become the
  // image link (a sequence with the legacy frame times), a legacy mask that names a resource the
  // mask link; the legacy lists are emptied. A description that has an image path keeps its links,
  // and one with no legacy pictures either keeps its empty link (it draws without a picture).
  void ResolveImageLinks();

 protected:
  DS_ParticleSystemCtrl(const DS_ParticleSystemCtrl& other) = default;
};
