// Base of the animators that write a frame's world matrix in place of its local one. The frame
// owns its animator and deletes it with itself.
#pragma once

class DS_Frame;

class DS_AnimationBase {
 public:
  virtual ~DS_AnimationBase() = default;
  // Writes the frame's world matrix; called before the parent's matrix is applied.
  virtual void Update(DS_Frame* frame) = 0;
  virtual void SetValue(float value) { value_ = value; }

 protected:
  float value_ = 0.0f;
};
