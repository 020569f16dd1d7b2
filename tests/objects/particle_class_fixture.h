// For the tests of the particle classes: a picture size for the bounds, a frame clock that runs a
// live copy of a description the way the sprite object does, and the bytes of the sprite record
// every stored particle class ends with.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "document/class_registry.h"
#include "render/particle.h"
#include "render/particle_sprite_prop.h"
#include "tests/support/document_builder.h"

namespace particle_class_test {

// A 1000 x 500 picture (bounds in pixels are the fractions times these), the random sequence from 1.
class ParticleClassTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The copy a render object would run: the description's Clone.
  template <class T>
  static std::unique_ptr<T> Live(const T& description) {
    return std::unique_ptr<T>(static_cast<T*>(description.Clone()));
  }
  // A particle made as the sprite geometry makes it: start geometry, start state, the class's start.
  static Particle Spawn(DS_BaseSpriteProp& d);
  // One frame, `seconds` of scene time after the description's last one (speed 50 runs the
  // animation clock at the same rate).
  static void Frame(DS_BaseSpriteProp& d, Particle& p, float seconds = 0.1f);
};

// The rows of a version-6 "DS_BaseSpriteProp" record, with its placed-element part.
struct SpriteRows {
  float left = 0.0f, right = 1.0f, top = 0.0f, bottom = 1.0f;
  uint32_t speed = 50;
  uint32_t count = 3, size = 20, transparency = 0;
  uint32_t color = 0x00FFFFFFu;
  float alphaRate = 0.0f, alphaMin = 0.0f, alphaMax = 1.0f, sizeMin = 1.0f, sizeMax = 1.0f;
  std::u16string name = u"layer";
};
void SpriteRecord(docbuild::DocumentBuilder& doc, const SpriteRows& rows);

// Reads one object by its class name from the bytes; null when the registry has no such class.
// `consumedAll` tells whether the read stopped exactly at the end without failing.
std::unique_ptr<DS_ABObj_Constructor> ReadObject(const docbuild::Bytes& bytes, bool* consumedAll);

}  // namespace particle_class_test
