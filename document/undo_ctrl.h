// Undo histories. Each MediaParamT embeds one as its first observer: it follows every change of the
// value and can step the value back and forth through the recorded states. The player keeps the
// saved value in step and never records, undoes or redoes; the authoring side does.
#pragma once
#include <cstddef>
#include <list>
#include <utility>

#include "document/media_param.h"

template <class T>
class MediaParamT;

class UndoCtrl : public MediaControl {
 public:
  virtual void Undo() = 0;
  virtual void Redo() = 0;
  virtual void Record() = 0;
};

inline constexpr size_t kUndoHistoryLimit = 20;

template <class T>
class UndoCtrlT final : public UndoCtrl {
 public:
  explicit UndoCtrlT(MediaParamT<T>* owner) : owner_(owner) {}
  UndoCtrlT(const UndoCtrlT&) = delete;
  UndoCtrlT& operator=(const UndoCtrlT&) = delete;
  // An undo control dies inside its property, before the property's own destructor runs.
  ~UndoCtrlT() override {
    if (owner_) owner_->RemoveObserver(this);
  }

  void Detach() override { owner_ = nullptr; }
  void OnChange(MediaControl*) override {
    if (owner_) saved_ = owner_->value;
  }

  // Stores the saved state as a step that can be undone; steps undone and not redone are dropped.
  void Record() override {
    history_.erase(history_.begin(), cursor_);
    history_.push_front(saved_);
    if (history_.size() > kUndoHistoryLimit) history_.pop_back();
    cursor_ = history_.begin();
  }

  void Undo() override {
    if (history_.empty() || cursor_ == history_.end()) return;
    const auto entry = cursor_++;
    std::swap(saved_, *entry);
    Apply();
  }

  void Redo() override {
    if (history_.empty() || cursor_ == history_.begin()) return;
    --cursor_;
    std::swap(saved_, *cursor_);
    Apply();
  }

  const T& Saved() const { return saved_; }
  const std::list<T>& History() const { return history_; }

 private:
  // Only a changed value is applied; the other observers are told, this one is skipped so that its
  // saved value stays what it just took from the history.
  void Apply() {
    if (!owner_ || saved_ == owner_->value) return;
    owner_->value = saved_;
    owner_->NotifyAll(this);
  }

  T saved_{};
  MediaParamT<T>* owner_;
  std::list<T> history_;
  typename std::list<T>::iterator cursor_ = history_.begin();
};
