#include "document/image_file_link.h"

#include <utility>

DS_ImageFileLink::UndoImage::~UndoImage() {
  if (link_) link_->RemoveObserver(this);
}

void DS_ImageFileLink::UndoImage::Sync() {
  if (link_) saved_ = Snapshot{link_->path, link_->stamp};
}

void DS_ImageFileLink::UndoImage::Record() {
  history_.erase(history_.begin(), cursor_);
  history_.push_front(saved_);
  if (history_.size() > kUndoHistoryLimit) history_.pop_back();
  cursor_ = history_.begin();
}

void DS_ImageFileLink::UndoImage::Undo() {
  if (!history_.empty() && cursor_ != history_.end()) {
    const auto entry = cursor_++;
    std::swap(saved_, *entry);
  }
  Apply();
}

void DS_ImageFileLink::UndoImage::Redo() {
  if (!history_.empty() && cursor_ != history_.begin()) {
    --cursor_;
    std::swap(saved_, *cursor_);
  }
  Apply();
}

void DS_ImageFileLink::UndoImage::Apply() {
  if (!link_) return;
  link_->path = saved_.path;
  link_->stamp = saved_.stamp;
  link_->NotifyAll(this);
}
