// Value properties. MediaParamTB holds a value; MediaParamT adds its undo history, always the first
// observer. A value changes in one of two ways:
//  - assignment (defaults in constructors): the value is taken, the undo history follows, nobody else
//    is told;
//  - SetAndNotify (live changes): a different value is taken and every observer is told; an equal
//    value does nothing.
// Readers of the document store into `value` directly and tell nobody.
#pragma once
#include "document/media_param.h"
#include "document/undo_ctrl.h"

template <class T>
class MediaParamTB : public MediaParam {
 public:
  MediaParamTB() = default;
  explicit MediaParamTB(const T& initial) : value(initial) {}
  MediaParamTB(const MediaParamTB& other) : MediaParam(), value(other.value) {}
  MediaParamTB& operator=(const MediaParamTB& other) {
    value = other.value;
    return *this;
  }
  MediaParamTB& operator=(const T& newValue) {
    value = newValue;
    return *this;
  }

  void SetAndNotify(const T& newValue) {
    if (newValue == value) return;
    value = newValue;
    NotifyAll(nullptr);
  }

  T value{};
};

template <class T>
class MediaParamT : public MediaParamTB<T> {
 public:
  MediaParamT() { Register(); }
  explicit MediaParamT(const T& initial) : MediaParamTB<T>(initial) { Register(); }
  // The copy has the value only: its history starts empty.
  MediaParamT(const MediaParamT& other) : MediaParamTB<T>(other) { Register(); }
  MediaParamT& operator=(const MediaParamT& other) { return *this = other.value; }
  MediaParamT& operator=(const T& newValue) {
    this->value = newValue;
    undo_.OnChange(nullptr);
    return *this;
  }

  UndoCtrlT<T>& UndoControl() { return undo_; }

 private:
  void Register() {
    this->AddObserver(&undo_);
    undo_.OnChange(nullptr);
  }

  UndoCtrlT<T> undo_{this};
};
