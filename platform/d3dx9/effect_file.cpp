#include "platform/d3dx9/effect_file.h"

#include <charconv>
#include <cmath>
#include <set>
#include <string_view>

#include <d3d9.h>

namespace d3dx9 {
namespace {

constexpr std::string_view kMagic = "copperleaf-effect 1";
// Effect files are a few kilobytes; anything far larger is not one of ours.
constexpr size_t kMaxSize = 1u << 20;
constexpr uint32_t kSamplerStages = 8;

struct Named {
  std::string_view name;
  uint32_t value;
};

constexpr Named kStates[] = {
    {"AlphaBlendEnable", D3DRS_ALPHABLENDENABLE},
    {"SrcBlend", D3DRS_SRCBLEND},
    {"DestBlend", D3DRS_DESTBLEND},
    {"BlendOp", D3DRS_BLENDOP},
    {"CullMode", D3DRS_CULLMODE},
};

constexpr Named kBools[] = {{"TRUE", TRUE}, {"FALSE", FALSE}};

constexpr Named kBlends[] = {
    {"Zero", D3DBLEND_ZERO},           {"One", D3DBLEND_ONE},
    {"SrcColor", D3DBLEND_SRCCOLOR},   {"InvSrcColor", D3DBLEND_INVSRCCOLOR},
    {"SrcAlpha", D3DBLEND_SRCALPHA},   {"InvSrcAlpha", D3DBLEND_INVSRCALPHA},
    {"DestAlpha", D3DBLEND_DESTALPHA}, {"InvDestAlpha", D3DBLEND_INVDESTALPHA},
    {"DestColor", D3DBLEND_DESTCOLOR}, {"InvDestColor", D3DBLEND_INVDESTCOLOR},
};

constexpr Named kCullModes[] = {{"None", D3DCULL_NONE}, {"CW", D3DCULL_CW}, {"CCW", D3DCULL_CCW}};

constexpr Named kBlendOps[] = {
    {"Add", D3DBLENDOP_ADD}, {"Subtract", D3DBLENDOP_SUBTRACT}, {"RevSubtract", D3DBLENDOP_REVSUBTRACT},
    {"Min", D3DBLENDOP_MIN}, {"Max", D3DBLENDOP_MAX},
};

struct TypeName {
  std::string_view name;
  EffectParameterType type;
};

constexpr TypeName kTypes[] = {
    {"float", EffectParameterType::Float},   {"float2", EffectParameterType::Float2},
    {"float3", EffectParameterType::Float3}, {"float4", EffectParameterType::Float4},
    {"matrix", EffectParameterType::Matrix}, {"texture", EffectParameterType::Texture},
};

template <typename T, size_t N>
const T* Find(const T (&table)[N], std::string_view name) {
  for (const T& entry : table)
    if (entry.name == name) return &entry;
  return nullptr;
}

bool IsName(std::string_view word) {
  if (word.empty() || (word[0] >= '0' && word[0] <= '9')) return false;
  for (char c : word) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::optional<float> Number(std::string_view word) {
  float value = 0;
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

class Parser {
 public:
  std::optional<EffectFile> Run(std::string_view text, std::string* error) {
    size_t lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      pos = end + 1;
      ++lineNumber;
      if (lineNumber == 1) {
        if (line != kMagic) return Fail(error, lineNumber, "not an effect file");
        continue;
      }
      if (!Line(line)) return Fail(error, lineNumber, problem_);
    }
    if (!Finish()) return Fail(error, lineNumber, problem_);
    return std::move(file_);
  }

 private:
  std::optional<EffectFile> Fail(std::string* error, size_t line, const std::string& what) {
    if (error) *error = "effect file line " + std::to_string(line) + ": " + what;
    return std::nullopt;
  }

  bool Problem(std::string what) {
    problem_ = std::move(what);
    return false;
  }

  bool Line(std::string_view line) {
    std::vector<std::string_view> w = Words(line);
    if (w.empty() || w[0][0] == '#') return true;
    if (w[0] == "parameter") return Parameter(w);
    if (w[0] == "technique") return Technique(w);
    if (w[0] == "pass") return Pass(w);
    if (w[0] == "program") return Program(w);
    if (w[0] == "sampler") return Sampler(w);
    if (w[0] == "state") return State(w);
    if (w[0] == "transform") return Transform(w);
    return Problem("unknown keyword '" + std::string(w[0]) + "'");
  }

  bool Parameter(const std::vector<std::string_view>& w) {
    if (w.size() < 3) return Problem("a parameter needs a type and a name");
    const TypeName* type = Find(kTypes, w[1]);
    if (!type) return Problem("unknown parameter type '" + std::string(w[1]) + "'");
    if (!IsName(w[2])) return Problem("bad parameter name");
    if (!parameterNames_.insert(std::string(w[2])).second) return Problem("parameter declared twice");
    EffectParameter p;
    p.name = std::string(w[2]);
    p.type = type->type;
    size_t count = EffectParameterFloats(p.type);
    size_t given = w.size() - 3;
    if (given != 0 && given != count) return Problem("wrong number of values for " + p.name);
    if (given == 0) {
      p.defaults.assign(count, 0.0f);
      if (p.type == EffectParameterType::Matrix)
        for (size_t i = 0; i < 4; ++i) p.defaults[i * 5] = 1.0f;
    }
    for (size_t i = 3; i < w.size(); ++i) {
      std::optional<float> v = Number(w[i]);
      if (!v) return Problem("bad number '" + std::string(w[i]) + "'");
      p.defaults.push_back(*v);
    }
    file_.parameters.push_back(std::move(p));
    return true;
  }

  bool Technique(const std::vector<std::string_view>& w) {
    if (w.size() != 2 || !IsName(w[1])) return Problem("a technique needs one name");
    if (!techniqueNames_.insert(std::string(w[1])).second) return Problem("technique declared twice");
    file_.techniques.push_back(EffectTechnique{std::string(w[1]), {}});
    return true;
  }

  bool Pass(const std::vector<std::string_view>& w) {
    if (file_.techniques.empty()) return Problem("a pass outside a technique");
    if (w.size() != 2 || !IsName(w[1])) return Problem("a pass needs one name");
    if (!ClosePass()) return false;
    auto& passes = file_.techniques.back().passes;
    for (const EffectPass& p : passes)
      if (p.name == w[1]) return Problem("pass declared twice");
    passes.push_back(EffectPass{std::string(w[1]), {}, {}, {}, {}});
    return true;
  }

  EffectPass* CurrentPass() {
    if (file_.techniques.empty() || file_.techniques.back().passes.empty()) return nullptr;
    return &file_.techniques.back().passes.back();
  }

  bool Program(const std::vector<std::string_view>& w) {
    EffectPass* pass = CurrentPass();
    if (!pass) return Problem("a program outside a pass");
    if (w.size() != 2 || !IsName(w[1])) return Problem("a program needs one name");
    if (!pass->program.empty()) return Problem("a pass has one program");
    pass->program = std::string(w[1]);
    return true;
  }

  bool Sampler(const std::vector<std::string_view>& w) {
    EffectPass* pass = CurrentPass();
    if (!pass) return Problem("a sampler outside a pass");
    if (w.size() != 3) return Problem("a sampler needs a stage and a texture parameter");
    uint32_t stage = 0;
    auto [end, ec] = std::from_chars(w[1].data(), w[1].data() + w[1].size(), stage);
    if (ec != std::errc() || end != w[1].data() + w[1].size() || stage >= kSamplerStages)
      return Problem("bad sampler stage");
    for (const EffectPassSampler& s : pass->samplers)
      if (s.stage == stage) return Problem("sampler stage bound twice");
    pass->samplers.push_back(EffectPassSampler{stage, std::string(w[2])});
    return true;
  }

  bool State(const std::vector<std::string_view>& w) {
    EffectPass* pass = CurrentPass();
    if (!pass) return Problem("a state outside a pass");
    if (w.size() != 3) return Problem("a state needs a name and a value");
    const Named* state = Find(kStates, w[1]);
    if (!state) return Problem("unknown state '" + std::string(w[1]) + "'");
    const Named* value = nullptr;
    if (state->value == D3DRS_ALPHABLENDENABLE)
      value = Find(kBools, w[2]);
    else if (state->value == D3DRS_BLENDOP)
      value = Find(kBlendOps, w[2]);
    else if (state->value == D3DRS_CULLMODE)
      value = Find(kCullModes, w[2]);
    else
      value = Find(kBlends, w[2]);
    if (!value) return Problem("bad value '" + std::string(w[2]) + "' for " + std::string(w[1]));
    pass->states.push_back(EffectPassState{state->value, value->value});
    return true;
  }

  bool Transform(const std::vector<std::string_view>& w) {
    EffectPass* pass = CurrentPass();
    if (!pass) return Problem("a transform outside a pass");
    if (w.size() != 2 || !IsName(w[1])) return Problem("a transform needs one matrix parameter");
    if (!pass->transform.empty()) return Problem("a pass has one transform");
    pass->transform = std::string(w[1]);
    return true;
  }

  bool ClosePass() {
    const EffectPass* pass = CurrentPass();
    if (pass && pass->program.empty()) return Problem("pass " + pass->name + " has no program");
    return true;
  }

  bool Finish() {
    if (!ClosePass()) return false;
    for (const EffectTechnique& t : file_.techniques)
      for (const EffectPass& p : t.passes)
        for (const EffectPassSampler& s : p.samplers) {
          bool found = false;
          for (const EffectParameter& param : file_.parameters)
            found = found || (param.name == s.parameter && param.type == EffectParameterType::Texture);
          if (!found) return Problem("sampler reads '" + s.parameter + "', which is no texture parameter");
        }
    for (const EffectTechnique& t : file_.techniques)
      for (const EffectPass& p : t.passes) {
        if (p.transform.empty()) continue;
        bool found = false;
        for (const EffectParameter& param : file_.parameters)
          found = found || (param.name == p.transform && param.type == EffectParameterType::Matrix);
        if (!found) return Problem("transform by '" + p.transform + "', which is no matrix parameter");
      }
    return true;
  }

  EffectFile file_;
  std::set<std::string> parameterNames_;
  std::set<std::string> techniqueNames_;
  std::string problem_;
};

}  // namespace

size_t EffectParameterFloats(EffectParameterType type) {
  switch (type) {
    case EffectParameterType::Float: return 1;
    case EffectParameterType::Float2: return 2;
    case EffectParameterType::Float3: return 3;
    case EffectParameterType::Float4: return 4;
    case EffectParameterType::Matrix: return 16;
    case EffectParameterType::Texture: return 0;
  }
  return 0;
}

std::optional<EffectFile> ParseEffectFile(const void* bytes, size_t size, std::string* error) {
  if (!bytes || size == 0 || size > kMaxSize) {
    if (error) *error = "not an effect file";
    return std::nullopt;
  }
  std::string_view text(static_cast<const char*>(bytes), size);
  // A NUL byte means binary data (a compiled effect, for instance), never one of our text files.
  if (text.find('\0') != std::string_view::npos) {
    if (error) *error = "not an effect file";
    return std::nullopt;
  }
  return Parser().Run(text, error);
}

}  // namespace d3dx9
