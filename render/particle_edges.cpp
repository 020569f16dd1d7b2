// The eight edge tests of a particle against the bounds of its description.
#include <cmath>

#include "render/particle.h"
#include "render/particle_sprite_prop.h"

bool Particle::IsPastTopEdge(const DS_BaseSpriteProp& d, const Particle& p) {
  return d.GetTopPx() > p.position.y + std::fabs(p.halfHeight);
}
bool Particle::IsPastBottomEdge(const DS_BaseSpriteProp& d, const Particle& p) {
  return d.GetBottomPx() < p.position.y - std::fabs(p.halfHeight);
}
bool Particle::IsPastLeftEdge(const DS_BaseSpriteProp& d, const Particle& p) {
  return d.GetLeftPx() > p.position.x + std::fabs(p.halfWidth);
}
bool Particle::IsPastRightEdge(const DS_BaseSpriteProp& d, const Particle& p) {
  return d.GetRightPx() < p.position.x - std::fabs(p.halfWidth);
}

bool Particle::CrossesTopEdge(const DS_BaseSpriteProp& d, const Particle& p) {
  return d.GetTopPx() > p.position.y - p.halfHeight;
}
bool Particle::CrossesBottomEdge(const DS_BaseSpriteProp& d, const Particle& p) {
  return d.GetBottomPx() < p.position.y + p.halfHeight;
}
bool Particle::CrossesLeftEdge(const DS_BaseSpriteProp& d, const Particle& p) {
  return d.GetLeftPx() > p.position.x - p.halfWidth;
}
bool Particle::CrossesRightEdge(const DS_BaseSpriteProp& d, const Particle& p) {
  return d.GetRightPx() < p.position.x + p.halfWidth;
}
