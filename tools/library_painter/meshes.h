// The meshes of the resource library as text .x files.
#pragma once
#include <string>

namespace library_painter {

// A slim body along y, from -0.5 to 0.5, with a rounded section.
std::string ButterflyBodyMesh();
// One wing: a flat blade hinged on the y axis, reaching to x = 1; both sides face the viewer.
std::string ButterflyWingMesh();
// A round dial of radius 0.5 in the x-y plane facing -z, its picture mapped across it.
std::string ClockFaceMesh();

}  // namespace library_painter
