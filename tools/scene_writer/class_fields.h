// The scene's layers and objects built as the system's own stored classes, from their descriptions:
// a JSON object naming the class ("class") and the members that differ from the class's defaults,
// under the members' own names. Every class then writes its record through its own save operation,
// so the records are exactly what the readers take.
#pragma once
#include <memory>

#include <nlohmann/json.hpp>

#include "assets.h"
#include "library.h"
#include "render/ab_obj_constructor.h"
#include "slideshow/light_2d.h"

namespace scene_writer {

using Json = nlohmann::json;

// The slide's light layer; a description without "class" is a plain "DS_2D_Light". Throws
// std::runtime_error naming an unknown class or member.
std::unique_ptr<DS_2D_Light> MakeLayer(const Json& description, Assets& assets);
// A drawn object or a sound of a slide.
std::unique_ptr<DS_ABObj_Constructor> MakeObject(const Json& description, Assets& assets);

}  // namespace scene_writer
