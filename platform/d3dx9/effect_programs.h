// The native pixel programs that effect passes run on the software device, by the name an effect
// file gives them. Each program reads the pass's parameter values as they were bound.
#pragma once
#include <string>
#include <vector>

#include <d3d9.h>

#include "platform/d3d9/pixel_program.h"
#include "platform/d3dx9/effect.h"

namespace d3dx9 {

bool EffectProgramExists(const std::string& name);

// Makes the program that a pass binds from the effect's parameter values at that moment.
using EffectProgramFactory = d3d9::PixelProgram (*)(const std::vector<EffectValue>& values);
// Adds a program by name, from a static initialiser of the file that holds it (an existing name is
// kept). Returns true, so that the initialiser can hold the call.
bool RegisterEffectProgram(const std::string& name, EffectProgramFactory factory);

// Makes the device run `program` with these parameter values for every pixel drawn until
// UnbindEffectProgram. False (and nothing bound) for an unknown program.
bool BindEffectProgram(IDirect3DDevice9* device, const std::string& program, const std::vector<EffectValue>& values);
void UnbindEffectProgram(IDirect3DDevice9* device);

}  // namespace d3dx9
