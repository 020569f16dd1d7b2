// Where the mix goes: the speakers through the sound server, a WAVE file, or nowhere.
#pragma once

namespace audio {

class Output {
 public:
  virtual ~Output() = default;
  // Called with the mixer's lock held before every change to what plays. An output that keeps
  // the machine's clock writes the mix up to now first, so that the change sounds at its moment;
  // one that the sound server pulls has nothing to do.
  virtual void CatchUp() {}
};

}  // namespace audio
