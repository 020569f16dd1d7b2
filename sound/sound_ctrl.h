// A slide's sound effect as the document describes it: volume, balance, and whether it loops for as
// long as its slide is shown (mode 0) or plays once at random intervals between a minimum and a
// maximum number of seconds (any other mode). It becomes a DS_Sound, which plays through a clone.
#pragma once
#include <windows.h>

#include "document/media_param_t.h"
#include "render/ab_obj_constructor.h"

class DS_Sound;

class DS_Sound_Ctrl : public DS_ABObj_Constructor {
 public:
  DS_Sound_Ctrl();
  ~DS_Sound_Ctrl() override = default;

  // Writes the "DS_Sound_Ctrl" level and the base record.
  bool Save(DS_IOF_Virtual** stream) override;
  // The render object, built around a clone of this description.
  DS_Sound* CreateRenderObject();
  DS_ABObj* CreateObject() override;

  virtual void Load() = 0;
  virtual void PlayLooping() = 0;
  virtual void Stop() = 0;
  virtual void PlayOnce() = 0;
  // Once per frame while the sound's slide is shown, with the scene time in seconds.
  virtual void Update(float time) = 0;
  virtual DS_Sound_Ctrl* Clone() const = 0;

  bool Loops() const { return mode.value == 0; }

  // The "DS_Sound_Ctrl" level: class name and version (either version holds the five fields), the
  // fields, then the base record. Values go in without telling observers.
  void Read(DS_IOF_Virtual** stream);
  void WriteBody(DS_IOF_Virtual** stream) const;
  void WriteFields(DS_IOF_Virtual** stream) const;

  MediaParamT<UINT> volume;   // 0 to 100
  MediaParamT<UINT> balance;  // 0 left, 50 centre, 100 right
  MediaParamT<INT> mode;
  MediaParamT<UINT> minimumInterval;  // seconds
  MediaParamT<UINT> maximumInterval;

 protected:
  DS_Sound_Ctrl(const DS_Sound_Ctrl& other) = default;
};
