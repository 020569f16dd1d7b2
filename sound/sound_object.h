// The render object of a sound effect. It draws nothing; its slide switches it on and off, and
// while it is on each frame's update lets a one-shot sound play at its time.
#pragma once
#include "render/ab_obj.h"
#include "sound/sound_ctrl.h"

class DS_Sound : public DS_ABObj {
 public:
  // Takes the clone and loads it.
  explicit DS_Sound(DS_Sound_Ctrl* clone);

  void Render(DS_ABRender&) override {}
  void DrawSelection(DS_ABRender&, int) override {}
  void SyncLayout() override {}
  void Update(float time) override;
  // On: a looping sound plays from its start (a one-shot waits for its time); off: it stops.
  void SetActive(bool active) override;
  void Restart(int) override;

  bool Active() const { return active_; }

 private:
  DS_Sound_Ctrl* sound_;  // the controller, owned there
  bool active_ = true;
};
