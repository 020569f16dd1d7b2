#include "com_object.h"

namespace d3dx9 {
namespace {
std::atomic<int> live{0};
}

int LiveObjects() { return live.load(); }

namespace detail {
void CountCreated() { ++live; }
void CountDestroyed() { --live; }
}  // namespace detail

}  // namespace d3dx9
