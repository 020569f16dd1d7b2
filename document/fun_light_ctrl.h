// Callback observers: they tie a property to a function of the object that binds them. The binding
// object keeps them in its MediaControlList.
#pragma once
#include "document/media_param.h"
#include "document/media_param_t.h"

// Calls callback(owner, the property's value) on every change, whatever the source; it does not
// compare old and new values.
template <class T, class C>
class DS_FunLightCtrl final : public MediaControlT<MediaParamTB<T>> {
 public:
  using Callback = void (*)(C* owner, T value);

  DS_FunLightCtrl(Callback callback, C* owner) : callback_(callback), owner_(owner) {}

  void OnChange(MediaControl*) override {
    if (this->param_) callback_(owner_, this->param_->value);
  }

 private:
  Callback callback_;
  C* owner_;
};

// Calls a member function of its owner whenever the observed property changes.
template <class C>
class DS_FunLightCtrl2 final : public MediaControl {
 public:
  using Callback = void (C::*)();

  DS_FunLightCtrl2(Callback callback, C* owner) : callback_(callback), owner_(owner) {}
  DS_FunLightCtrl2(const DS_FunLightCtrl2&) = delete;
  DS_FunLightCtrl2& operator=(const DS_FunLightCtrl2&) = delete;
  ~DS_FunLightCtrl2() override {
    if (param_) param_->RemoveObserver(this);
  }

  // Observes `param` (appended to its observers), leaving any property observed before.
  void Attach(MediaParam* param) {
    if (param_) param_->RemoveObserver(this);
    param_ = param;
    if (param_) param_->AddObserver(this);
  }
  void Detach() override { param_ = nullptr; }
  void OnChange(MediaControl*) override { (owner_->*callback_)(); }
  MediaParam* Param() const { return param_; }

 private:
  Callback callback_;
  C* owner_;
  MediaParam* param_ = nullptr;
};
