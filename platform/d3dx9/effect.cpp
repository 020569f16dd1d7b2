#include "platform/d3dx9/effect.h"

#include <algorithm>
#include <optional>

#include "platform/d3dx9/com_object.h"
#include "platform/d3dx9/effect_programs.h"

namespace d3dx9 {
namespace {

// How many EffectRecording objects live.
int g_recordings = 0;

class Effect final : public ComObject<ID3DXEffect> {
 public:
  Effect(IDirect3DDevice9* device, EffectFile file) : device_(device), file_(std::move(file)) {
    device_->AddRef();
    for (const EffectParameter& p : file_.parameters) values_.push_back(EffectValue{&p, p.defaults, nullptr});
  }

  HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE name, FLOAT value) override {
    return Record("SetFloat", name, {value}, nullptr, SetFloats(name, &value, 1));
  }
  HRESULT STDMETHODCALLTYPE SetFloatArray(D3DXHANDLE name, const FLOAT* values, UINT count) override {
    std::vector<float> passed;
    if (values) passed.assign(values, values + count);
    return Record("SetFloatArray", name, passed, nullptr, values ? SetFloats(name, values, count) : D3DERR_INVALIDCALL);
  }
  HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE name, const D3DXMATRIX* matrix) override {
    std::vector<float> passed;
    HRESULT result = D3DERR_INVALIDCALL;
    EffectValue* value = Find(name);
    if (matrix) {
      passed.assign(&matrix->_11, &matrix->_11 + 16);
      if (value && value->parameter->type == EffectParameterType::Matrix) {
        value->floats = passed;
        result = S_OK;
      }
    }
    return Record("SetMatrix", name, passed, nullptr, result);
  }
  HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE name, LPDIRECT3DBASETEXTURE9 texture) override {
    HRESULT result = D3DERR_INVALIDCALL;
    EffectValue* value = Find(name);
    if (value && value->parameter->type == EffectParameterType::Texture) {
      if (texture) texture->AddRef();
      if (value->texture) value->texture->Release();
      value->texture = texture;
      result = S_OK;
    }
    return Record("SetTexture", name, {}, texture, result);
  }
  HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE name) override {
    HRESULT result = D3DERR_INVALIDCALL;
    for (size_t i = 0; name && i < file_.techniques.size(); ++i)
      if (file_.techniques[i].name == name) {
        technique_ = i;
        result = S_OK;
      }
    return Record("SetTechnique", name, {}, nullptr, result);
  }

  HRESULT STDMETHODCALLTYPE Begin(UINT* passes, DWORD flags) override {
    HRESULT result = D3DERR_INVALIDCALL;
    const EffectTechnique* technique = Technique();
    if (!begun_ && technique) {
      begun_ = true;
      if (flags == 0) SaveState(*technique);
      if (passes) *passes = static_cast<UINT>(technique->passes.size());
      result = S_OK;
    }
    return Record("Begin", nullptr, {static_cast<float>(flags)}, nullptr, result);
  }
  HRESULT STDMETHODCALLTYPE BeginPass(UINT pass) override {
    HRESULT result = D3DERR_INVALIDCALL;
    const EffectTechnique* technique = Technique();
    if (begun_ && !pass_ && technique && pass < technique->passes.size()) {
      pass_ = pass;
      const EffectPass& p = technique->passes[pass];
      for (const EffectPassState& s : p.states) device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s.state), s.value);
      if (!p.transform.empty()) SaveTransforms();
      result = Apply(p);
    }
    return Record("BeginPass", nullptr, {static_cast<float>(pass)}, nullptr, result);
  }
  HRESULT STDMETHODCALLTYPE CommitChanges() override {
    HRESULT result = D3DERR_INVALIDCALL;
    if (pass_) result = Apply(Technique()->passes[*pass_]);
    return Record("CommitChanges", nullptr, {}, nullptr, result);
  }
  HRESULT STDMETHODCALLTYPE EndPass() override {
    HRESULT result = pass_ ? S_OK : D3DERR_INVALIDCALL;
    pass_.reset();
    RestoreTransforms();
    return Record("EndPass", nullptr, {}, nullptr, result);
  }
  HRESULT STDMETHODCALLTYPE End() override {
    HRESULT result = D3DERR_INVALIDCALL;
    if (begun_) {
      pass_.reset();
      RestoreTransforms();
      begun_ = false;
      RestoreState();
      result = S_OK;
    }
    return Record("End", nullptr, {}, nullptr, result);
  }
  // The effect keeps no default-pool objects of its own: there is nothing to give up or remake.
  HRESULT STDMETHODCALLTYPE OnLostDevice() override { return Record("OnLostDevice", nullptr, {}, nullptr, S_OK); }
  HRESULT STDMETHODCALLTYPE OnResetDevice() override { return Record("OnResetDevice", nullptr, {}, nullptr, S_OK); }

  const std::vector<EffectCall>& Calls() const { return calls_; }

 private:
  ~Effect() override {
    RestoreTransforms();
    if (begun_) RestoreState();
    for (EffectValue& v : values_)
      if (v.texture) v.texture->Release();
    device_->Release();
  }

  HRESULT Record(const char* method, D3DXHANDLE name, std::vector<float> values, IDirect3DBaseTexture9* texture,
                 HRESULT result) {
    if (g_recordings > 0) calls_.push_back(EffectCall{method, name ? name : "", std::move(values), texture, result});
    return result;
  }

  EffectValue* Find(D3DXHANDLE name) {
    if (!name) return nullptr;
    for (EffectValue& v : values_)
      if (v.parameter->name == name) return &v;
    return nullptr;
  }

  HRESULT SetFloats(D3DXHANDLE name, const float* values, UINT count) {
    EffectValue* value = Find(name);
    if (!value || value->parameter->type == EffectParameterType::Texture) return D3DERR_INVALIDCALL;
    std::copy_n(values, std::min<size_t>(count, value->floats.size()), value->floats.begin());
    return S_OK;
  }

  const EffectTechnique* Technique() const {
    return technique_ < file_.techniques.size() ? &file_.techniques[technique_] : nullptr;
  }

  HRESULT Apply(const EffectPass& pass) {
    for (const EffectPassSampler& s : pass.samplers) device_->SetTexture(s.stage, Find(s.parameter.c_str())->texture);
    if (!pass.transform.empty()) LoadTransform(Find(pass.transform.c_str())->floats);
    return BindEffectProgram(device_, pass.program, values_) ? S_OK : D3DERR_INVALIDCALL;
  }

  // The pass's vertex stage: positions go through the matrix alone.
  void LoadTransform(const std::vector<float>& matrix) {
    D3DMATRIX identity{}, projection{};
    for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
    std::copy_n(matrix.begin(), 16, &projection.m[0][0]);
    device_->SetTransform(D3DTS_WORLD, &identity);
    device_->SetTransform(D3DTS_VIEW, &identity);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
  }

  // A vertex stage never changes the fixed-function transforms, so they are kept whatever Begin's flags.
  void SaveTransforms() {
    device_->GetTransform(D3DTS_WORLD, &savedTransforms_[0]);
    device_->GetTransform(D3DTS_VIEW, &savedTransforms_[1]);
    device_->GetTransform(D3DTS_PROJECTION, &savedTransforms_[2]);
    transformsSaved_ = true;
  }
  void RestoreTransforms() {
    if (!transformsSaved_) return;
    transformsSaved_ = false;
    device_->SetTransform(D3DTS_WORLD, &savedTransforms_[0]);
    device_->SetTransform(D3DTS_VIEW, &savedTransforms_[1]);
    device_->SetTransform(D3DTS_PROJECTION, &savedTransforms_[2]);
  }

  void SaveState(const EffectTechnique& technique) {
    saved_ = true;
    for (const EffectPass& pass : technique.passes) {
      for (const EffectPassState& s : pass.states) {
        auto same = [&](const EffectPassState& kept) { return kept.state == s.state; };
        if (std::none_of(savedStates_.begin(), savedStates_.end(), same)) {
          DWORD value = 0;
          device_->GetRenderState(static_cast<D3DRENDERSTATETYPE>(s.state), &value);
          savedStates_.push_back(EffectPassState{s.state, value});
        }
      }
      for (const EffectPassSampler& s : pass.samplers) {
        auto same = [&](const SavedTexture& kept) { return kept.stage == s.stage; };
        if (std::none_of(savedTextures_.begin(), savedTextures_.end(), same)) {
          IDirect3DBaseTexture9* texture = nullptr;
          device_->GetTexture(s.stage, &texture);
          savedTextures_.push_back(SavedTexture{s.stage, texture});
        }
      }
    }
  }

  // The program goes in every case; what Begin saved comes back.
  void RestoreState() {
    UnbindEffectProgram(device_);
    if (!saved_) return;
    saved_ = false;
    for (const EffectPassState& s : savedStates_) device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s.state), s.value);
    for (SavedTexture& t : savedTextures_) {
      device_->SetTexture(t.stage, t.texture);
      if (t.texture) t.texture->Release();
    }
    savedStates_.clear();
    savedTextures_.clear();
  }

  struct SavedTexture {
    uint32_t stage;
    IDirect3DBaseTexture9* texture;  // the reference GetTexture gave
  };

  IDirect3DDevice9* device_;
  EffectFile file_;
  std::vector<EffectValue> values_;
  size_t technique_ = 0;
  bool begun_ = false;
  std::optional<UINT> pass_;
  bool saved_ = false;
  std::vector<EffectPassState> savedStates_;
  std::vector<SavedTexture> savedTextures_;
  bool transformsSaved_ = false;
  D3DMATRIX savedTransforms_[3] = {};  // world, view, projection
  std::vector<EffectCall> calls_;
};

}  // namespace

EffectRecording::EffectRecording() { ++g_recordings; }
EffectRecording::~EffectRecording() { --g_recordings; }

const std::vector<EffectCall>* RecordedEffectCalls(ID3DXEffect* effect) {
  auto* ours = dynamic_cast<Effect*>(effect);
  return ours ? &ours->Calls() : nullptr;
}

}  // namespace d3dx9

HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE9 device, LPCVOID data, UINT size, const D3DXMACRO*, LPD3DXINCLUDE,
                                DWORD, LPD3DXEFFECTPOOL, LPD3DXEFFECT* effect, LPD3DXBUFFER* errors) {
  if (errors) *errors = nullptr;
  if (!effect) return D3DERR_INVALIDCALL;
  *effect = nullptr;
  if (!device || !data || size == 0) return D3DERR_INVALIDCALL;
  std::optional<d3dx9::EffectFile> file = d3dx9::ParseEffectFile(data, size);
  if (!file) return D3DERR_INVALIDCALL;
  for (const d3dx9::EffectTechnique& technique : file->techniques)
    for (const d3dx9::EffectPass& pass : technique.passes)
      if (!d3dx9::EffectProgramExists(pass.program)) return D3DERR_INVALIDCALL;
  *effect = new d3dx9::Effect(device, std::move(*file));
  return S_OK;
}
