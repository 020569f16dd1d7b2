// The record of one sprite of a particle layer and the operations every particle class uses on it:
// its start geometry and state, its vertex colour and the corner its quad is built from.
// Coordinates are picture pixels with y growing downward.
#pragma once
#include <d3dx9math.h>

#include <windows.h>

class DS_BaseSpriteProp;

struct Particle {
  D3DXVECTOR3 direction{0.0f, 0.0f, 0.0f};  // per-particle multipliers of the motion
  D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};   // pixels per second of animation time
  D3DXVECTOR3 position{100.0f, 100.0f, 0.0f};  // centre of the sprite
  float sizeFactor = 1.0f;
  D3DXMATRIX spin;                            // only the fog sets and reads it
  float vPair[2] = {0.0f, 1.0f};              // v at the two ends of axis 2
  float uPair[2] = {0.0f, 1.0f};              // u at the two ends of axis 1
  float halfWidth = 0.0f;                     // along axis 1; negative mirrors the sprite
  float halfHeight = 0.0f;                    // along axis 2
  float aspect = 1.0f;                        // height / width of the picture (times the strip frames)
  D3DXVECTOR3 axis1{1.0f, 0.0f, 0.0f};
  D3DXVECTOR3 axis2{0.0f, 1.0f, 0.0f};        // downward on the picture
  float alpha = 1.0f;
  float timer = 0.0f;
  INT touchedEdge = -1;                       // 0 top, 1 bottom, 2 left, 3 right; -1 none
  INT respawned = 0;
  float lifeEnd = 0.0f;
  float age = 0.0f;
  bool paused = false;
  D3DCOLOR color = 0;
  float alphaRate = 0.0f;

  // Size and picture part: the aspect of the description's picture, a random size factor (one draw)
  // and from them the half extents; direction, velocity and placement start over.
  static void InitGeometry(Particle& p, const DS_BaseSpriteProp& d);
  // Timers, flags and alpha start over; the alpha rate takes a random sign (one draw); then the colour.
  static void InitState(Particle& p, const DS_BaseSpriteProp& d);
  // The description's tint with the particle's alpha scaled by the description's maximum opacity.
  static void ApplyColor(const DS_BaseSpriteProp& d, Particle& p);
  // position - halfWidth x axis 1 - halfHeight x axis 2: the corner with the first u and first v.
  static D3DXVECTOR3 CornerPosition(const Particle& p);

  // The edge tests against the description's bounds in picture pixels (read at each call). A past
  // test is true when the sprite lies entirely beyond the bound, a crossing test when its near side
  // reaches beyond it. The past tests take the half extents' sizes, the crossing tests the half
  // extents with their sign.
  static bool IsPastTopEdge(const DS_BaseSpriteProp& d, const Particle& p);
  static bool IsPastBottomEdge(const DS_BaseSpriteProp& d, const Particle& p);
  static bool IsPastLeftEdge(const DS_BaseSpriteProp& d, const Particle& p);
  static bool IsPastRightEdge(const DS_BaseSpriteProp& d, const Particle& p);
  static bool CrossesTopEdge(const DS_BaseSpriteProp& d, const Particle& p);
  static bool CrossesBottomEdge(const DS_BaseSpriteProp& d, const Particle& p);
  static bool CrossesLeftEdge(const DS_BaseSpriteProp& d, const Particle& p);
  static bool CrossesRightEdge(const DS_BaseSpriteProp& d, const Particle& p);
};
