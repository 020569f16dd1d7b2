// What the buffers of one stand-in device share, and the process-wide list of live buffers that the
// sink reads.
#pragma once
#include <mutex>
#include <vector>

#include <dsound.h>

namespace dsound {

class SoundBuffer;

struct DeviceState {
  bool cooperative = false;
  SoundBuffer* primary = nullptr;  // not owned; cleared when it goes
};

// Live buffers in creation order.
std::mutex& BufferListLock();
std::vector<SoundBuffer*>& BufferList();

}  // namespace dsound
