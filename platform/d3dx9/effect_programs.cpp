#include "platform/d3dx9/effect_programs.h"

#include <map>

#include "platform/d3d9/pixel_program.h"

namespace d3dx9 {
namespace {

// The texture of sampler stage 0 times the interpolated diffuse colour: a quad drawn with its picture.
d3d9::PixelProgram Textured(const std::vector<EffectValue>&) {
  return [](const d3d9::PixelInput& in, const d3d9::TextureSampler& sampler) {
    const d3d9::Color t = sampler.Sample(0, in.texcoord[0][0], in.texcoord[0][1]);
    return d3d9::Color{t.r * in.diffuse.r, t.g * in.diffuse.g, t.b * in.diffuse.b, t.a * in.diffuse.a};
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
