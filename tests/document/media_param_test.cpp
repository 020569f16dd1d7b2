// Observable properties: who is told, in which order, and what survives whom.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/fun_light_ctrl.h"
#include "document/media_control_list.h"
#include "document/media_param_t.h"

namespace {

std::string g_log;

class Recorder : public MediaControlT<MediaParamTB<int>> {
 public:
  explicit Recorder(char name) : name_(name) {}
  ~Recorder() override { g_log += std::string("~") + name_; }
  void OnChange(MediaControl*) override {
    g_log += name_;
    if (onChange) onChange();
  }
  std::function<void()> onChange;

 private:
  char name_;
};

TEST(MediaParam, NotifiesInRegistrationOrderSkippingTheSource) {
  MediaParamTB<int> property;
  Recorder a('A'), b('B'), c('C');
  for (Recorder* r : {&a, &b, &c}) r->Attach(&property);
  g_log.clear();
  property.NotifyAll(&b);
  EXPECT_EQ(g_log, "AC");
  g_log.clear();
  property.NotifyAll(nullptr);
  EXPECT_EQ(g_log, "ABC");
}

TEST(MediaParam, EitherSideMayDieFirst) {
  auto observer = std::make_unique<Recorder>('A');
  {
    MediaParamTB<int> property;
    observer->Attach(&property);
  }
  EXPECT_EQ(observer->Param(), nullptr);  // the dying property detached it
  observer.reset();                       // and it does not touch the dead property

  MediaParamTB<int> property;
  Recorder kept('K');
  kept.Attach(&property);
  {
    Recorder gone('G');
    gone.Attach(&property);
  }
  g_log.clear();
  property.NotifyAll(nullptr);
  EXPECT_EQ(g_log, "K");
}

TEST(MediaParam, ObserversMayComeAndGoDuringANotification) {
  MediaParamTB<int> property;
  auto a = std::make_unique<Recorder>('A');
  auto b = std::make_unique<Recorder>('B');
  Recorder late('L');
  Recorder c('C');
  a->Attach(&property);
  b->Attach(&property);
  c.Attach(&property);
  // A deletes B (not yet told) and itself leaves; it also adds a new observer.
  a->onChange = [&] {
    b.reset();
    late.Attach(&property);
    a->Attach(nullptr);
  };
  g_log.clear();
  property.NotifyAll(nullptr);
  EXPECT_EQ(g_log, "A~BC");  // B skipped, the newcomer waits for the next notification
  g_log.clear();
  property.NotifyAll(nullptr);
  EXPECT_EQ(g_log, "CL");
}

TEST(MediaParam, SetAndNotifyTellsOnlyAboutAChange) {
  MediaParamT<int> property(5);
  Recorder r('R');
  r.Attach(&property);
  g_log.clear();
  property.SetAndNotify(5);
  EXPECT_EQ(g_log, "");
  property.SetAndNotify(6);
  EXPECT_EQ(g_log, "R");
  EXPECT_EQ(property.UndoControl().Saved(), 6);  // the history, first observer, followed
  property = 9;                           // assignment: the history follows, nobody else is told
  EXPECT_EQ(g_log, "R");
  EXPECT_EQ(property.UndoControl().Saved(), 9);
}

TEST(MediaParam, CopyHoldsTheValueOnly) {
  MediaParamT<unsigned int> original(7);
  original.UndoControl().Record();
  MediaParamT<unsigned int> copy(original);
  EXPECT_EQ(copy.value, 7u);
  EXPECT_TRUE(copy.UndoControl().History().empty());
  ASSERT_EQ(copy.Observers().size(), 1u);
  EXPECT_EQ(copy.Observers()[0], &copy.UndoControl());
}

struct Owner {
  static void OnValue(Owner* owner, int value) { owner->values.push_back(value); }
  void OnLink() { ++linkChanges; }
  std::vector<int> values;
  int linkChanges = 0;
};

TEST(MediaParam, CallbacksLiveInTheOwnersList) {
  Owner owner;
  MediaParamT<int> edge(3);
  MediaParamTB<int> other;
  {
    MediaControlList controls;
    auto value = std::make_unique<DS_FunLightCtrl<int, Owner>>(&Owner::OnValue, &owner);
    value->Attach(&edge);
    value->OnChange(nullptr);  // bound callbacks fire once at once
    controls.Add(std::move(value));
    auto link = std::make_unique<DS_FunLightCtrl2<Owner>>(&Owner::OnLink, &owner);
    link->Attach(&other);
    controls.Add(std::move(link));

    edge.SetAndNotify(4);
    other.NotifyAll(nullptr);
    EXPECT_EQ(owner.values, (std::vector<int>{3, 4}));
    EXPECT_EQ(owner.linkChanges, 1);
  }
  // The list deleted its callbacks, which left their properties.
  EXPECT_EQ(edge.Observers().size(), 1u);
  EXPECT_TRUE(other.Observers().empty());
  edge.SetAndNotify(8);
  EXPECT_EQ(owner.values.size(), 2u);
}

TEST(MediaParam, CallbackOutlivesItsProperty) {
  Owner owner;
  MediaControlList controls;
  {
    MediaParamTB<int> property;
    auto link = std::make_unique<DS_FunLightCtrl2<Owner>>(&Owner::OnLink, &owner);
    link->Attach(&property);
    controls.Add(std::move(link));
  }
  // The list's destructor now deletes a callback whose property is gone: clean under ASan.
}

}  // namespace
