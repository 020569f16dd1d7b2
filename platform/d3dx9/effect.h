// The stand-in's ID3DXEffect: an effect file (effect_file.h) with the values of its parameters.
// BeginPass sets the pass's blend states, binds the texture parameters its samplers read and runs its
// native pixel program on the device with the parameters as they are at that moment (CommitChanges
// passes later changes on); a pass with a transform also places the geometry by its matrix parameter
// until EndPass (effect_file.h). Begin with flags 0 saves what the technique's passes change; End puts
// it back. Calls are recorded only while a test asks for it (EffectRecording).
#pragma once
#include <string>
#include <vector>

#include <d3dx9effect.h>

#include "platform/d3dx9/effect_file.h"

namespace d3dx9 {

struct EffectCall {
  std::string method;         // "SetTechnique", "SetFloatArray", "BeginPass", ...
  std::string name;           // the parameter or technique named, if any
  std::vector<float> values;  // floats passed, or the pass index / pass count
  IDirect3DBaseTexture9* texture = nullptr;  // for SetTexture (not referenced)
  HRESULT result = S_OK;
};

// The value of one parameter while the effect lives.
struct EffectValue {
  const EffectParameter* parameter = nullptr;
  std::vector<float> floats;
  IDirect3DBaseTexture9* texture = nullptr;  // one reference held
};

// While one of these lives, every effect of the stand-in records the calls made on it. Nothing is
// recorded otherwise: a screensaver that runs all night must not keep every call it ever made.
class EffectRecording {
 public:
  EffectRecording();
  ~EffectRecording();
  EffectRecording(const EffectRecording&) = delete;
  EffectRecording& operator=(const EffectRecording&) = delete;
};

// The calls recorded on an effect of the stand-in; null for any other object.
const std::vector<EffectCall>* RecordedEffectCalls(ID3DXEffect* effect);

}  // namespace d3dx9
