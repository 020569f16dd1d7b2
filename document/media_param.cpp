#include "document/media_param.h"

#include <algorithm>

MediaParam::~MediaParam() {
  for (MediaControl* observer : observers_)
    if (observer) observer->Detach();
}

void MediaParam::NotifyAll(MediaControl* source) {
  // Walks by index over the observers present at the start; removals during the walk only null
  // their slot, so no iterator is invalidated and nobody removed is called.
  struct Walk {
    explicit Walk(MediaParam* param) : param(param) { ++param->notifying_; }
    ~Walk() {
      if (--param->notifying_ == 0) std::erase(param->observers_, nullptr);
    }
    MediaParam* param;
  } walk(this);
  const size_t count = observers_.size();
  for (size_t i = 0; i < count; ++i)
    if (MediaControl* observer = observers_[i]) MediaControl::NotifyUnlessSource(observer, source);
}

void MediaParam::AddObserver(MediaControl* observer) { observers_.push_back(observer); }

void MediaParam::RemoveObserver(MediaControl* observer) {
  if (notifying_ > 0)
    std::replace(observers_.begin(), observers_.end(), observer, static_cast<MediaControl*>(nullptr));
  else
    std::erase(observers_, observer);
}

std::vector<MediaControl*> MediaParam::Observers() const {
  std::vector<MediaControl*> present;
  for (MediaControl* observer : observers_)
    if (observer) present.push_back(observer);
  return present;
}
