// Observable properties and their observers. A property holds a value (in its subclasses) and the
// observers told when it changes, in registration order; it does not own them. Either side may die
// first: a dying property detaches its observers, a dying observer removes itself from its property.
#pragma once
#include <cstddef>
#include <vector>

class MediaControl;

class MediaParam {
 public:
  MediaParam() = default;
  // A copy is a new property: it has none of the original's observers.
  MediaParam(const MediaParam&) {}
  MediaParam& operator=(const MediaParam&) { return *this; }
  virtual ~MediaParam();

  // Calls OnChange(source) on every observer in registration order except the source itself (a null
  // source tells everybody). Observers may come and go meanwhile: one removed before its turn is
  // skipped, one added is first told at the next notification.
  void NotifyAll(MediaControl* source);

  void AddObserver(MediaControl* observer);
  // Removes every occurrence.
  void RemoveObserver(MediaControl* observer);
  std::vector<MediaControl*> Observers() const;

 private:
  std::vector<MediaControl*> observers_;  // null marks an observer removed during a notification
  int notifying_ = 0;                     // depth of the notifications running on this property
};

class MediaControl {
 public:
  virtual ~MediaControl() = default;
  // The observed property is going away: forget it.
  virtual void Detach() {}
  virtual void OnChange(MediaControl* source) = 0;

  static void NotifyUnlessSource(MediaControl* observer, MediaControl* source) {
    if (observer != source) observer->OnChange(source);
  }
};

// An observer of one property of type P.
template <class P>
class MediaControlT : public MediaControl {
 public:
  MediaControlT() = default;
  MediaControlT(const MediaControlT&) = delete;
  MediaControlT& operator=(const MediaControlT&) = delete;
  ~MediaControlT() override {
    if (param_) param_->RemoveObserver(this);
  }

  void Detach() override { param_ = nullptr; }

  // Observes `param` (appended to its observers), leaving any property observed before.
  void Attach(P* param) {
    if (param_) param_->RemoveObserver(this);
    param_ = param;
    if (param_) param_->AddObserver(this);
  }
  P* Param() const { return param_; }

 protected:
  P* param_ = nullptr;
};
