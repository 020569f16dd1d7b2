// The callback observers an object hangs on properties, owned by the object and deleted with it in
// list order; each one detaches itself from its property as it dies.
#pragma once
#include <memory>
#include <vector>

#include "document/media_param.h"

class MediaControlList {
 public:
  MediaControlList() = default;
  MediaControlList(const MediaControlList&) = delete;
  MediaControlList& operator=(const MediaControlList&) = delete;
  ~MediaControlList() {
    for (auto& observer : observers_) observer.reset();
  }

  void Add(std::unique_ptr<MediaControl> observer) { observers_.push_back(std::move(observer)); }
  bool Empty() const { return observers_.empty(); }

 private:
  std::vector<std::unique_ptr<MediaControl>> observers_;
};
