// The stand-in's effect file. Compiled effect binaries cannot run on the software device, so an effect
// is a small line-based text that names, per technique and pass, a native pixel program of the device,
// the textures its samplers read and the blend states the pass sets. D3DXCreateEffect parses it.
//
//   copperleaf-effect 1                   the first line, exactly (anything else is not an effect file)
//   # a comment                           lines starting with '#' and blank lines are skipped
//   parameter float   Scale 1             float, float2, float3, float4: a name, then either no values
//   parameter float2  offset 0.5 0        (all zeros) or exactly as many values as the type holds
//   parameter matrix  WorldViewProj       matrix: no values (identity) or 16 values, row by row
//   parameter texture Texture1            texture: no values; null until SetTexture
//   technique Common                      starts a technique; its passes follow
//   pass P0                               starts a pass of the last technique
//   program textured                      the native pixel program of the pass (exactly one per pass)
//   sampler 0 Texture1                    sampler stage 0 (0 to 7) reads the texture parameter Texture1
//   state AlphaBlendEnable TRUE           a blend state the pass sets (TRUE or FALSE)
//   state SrcBlend SrcAlpha               SrcBlend, DestBlend: Zero One SrcColor InvSrcColor SrcAlpha
//   state DestBlend InvSrcAlpha             InvSrcAlpha DestAlpha InvDestAlpha DestColor InvDestColor
//   state BlendOp Max                     BlendOp: Add Subtract RevSubtract Min Max
//   state CullMode None                   CullMode: None CW CCW (sprites whose axes are mirrored
//                                           wind the other way and need None)
//   transform WorldViewProj               the pass places its geometry by that matrix parameter, as a
//                                         vertex stage computing position x matrix would: BeginPass
//                                         loads world = view = identity and projection = the matrix
//                                         (CommitChanges loads it again), EndPass (or End, or the
//                                         effect's release, inside a pass) puts the three back. A pass
//                                         without it leaves the device's transforms alone.
//
// Words are separated by blanks; keywords and names are case-sensitive. Names are letters, digits and
// '_' and do not start with a digit; parameter and technique names are unique, pass names unique within
// their technique. Numbers are decimal floats and must be finite. A sampler names a declared texture
// parameter, a transform a declared matrix parameter (at most one per pass). Whether the program name
// exists is checked by D3DXCreateEffect, not by the parser.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace d3dx9 {

enum class EffectParameterType { Float, Float2, Float3, Float4, Matrix, Texture };

struct EffectParameter {
  std::string name;
  EffectParameterType type = EffectParameterType::Float;
  std::vector<float> defaults;  // 1, 2, 3, 4 or 16 values; empty for a texture
};

struct EffectPassState {
  uint32_t state = 0;  // a D3DRENDERSTATETYPE
  uint32_t value = 0;
};

struct EffectPassSampler {
  uint32_t stage = 0;
  std::string parameter;
};

struct EffectPass {
  std::string name;
  std::string program;
  std::vector<EffectPassSampler> samplers;
  std::vector<EffectPassState> states;  // in file order
  std::string transform;                // the matrix parameter that places the geometry; empty: none
};

struct EffectTechnique {
  std::string name;
  std::vector<EffectPass> passes;
};

struct EffectFile {
  std::vector<EffectParameter> parameters;
  std::vector<EffectTechnique> techniques;
};

// Number of floats a parameter of that type holds (0 for a texture).
size_t EffectParameterFloats(EffectParameterType type);

// Parses an effect file. On failure returns nothing and, when `error` is given, a message naming the line.
std::optional<EffectFile> ParseEffectFile(const void* bytes, size_t size, std::string* error = nullptr);

}  // namespace d3dx9
