#include "platform/d3dx9/effect_programs.h"

#include <map>

#include "platform/d3d9/pixel_program.h"

namespace d3dx9 {
namespace {

// The texture of sampler stage 0 times the interpolated diffuse colour: a quad drawn with its picture.
d3d9::PixelProgram Textured(const std::vector<EffectValue>&) {
  return [](const d3d9::PixelBlock& in, const d3d9::TextureSampler& sampler, d3d9::ColorBlock& out) {
    sampler.Sample(0, in.u[0], in.v[0], out);
    for (int i = 0; i < d3d9::kBlockPixels; ++i) {
      out.r[i] *= in.diffuse[0][i];
      out.g[i] *= in.diffuse[1][i];
      out.b[i] *= in.diffuse[2][i];
      out.a[i] *= in.diffuse[3][i];
    }
  };
}

// Made on first use, whatever the order of the static initialisers that register into it.
std::map<std::string, EffectProgramFactory>& Programs() {
  static std::map<std::string, EffectProgramFactory> programs = {
      {"textured", &Textured},
  };
  return programs;
}

}  // namespace

bool RegisterEffectProgram(const std::string& name, EffectProgramFactory factory) {
  Programs().emplace(name, factory);
  return true;
}

bool EffectProgramExists(const std::string& name) { return Programs().count(name) != 0; }

bool BindEffectProgram(IDirect3DDevice9* device, const std::string& program, const std::vector<EffectValue>& values) {
  auto found = Programs().find(program);
  if (found == Programs().end()) return false;
  d3d9::SetPixelProgram(device, found->second(values));
  return true;
}

void UnbindEffectProgram(IDirect3DDevice9* device) { d3d9::SetPixelProgram(device, nullptr); }

}  // namespace d3dx9
