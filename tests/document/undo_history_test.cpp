// Undo histories of value properties, the same for every value type they are built for.
#include <gtest/gtest.h>

#include <d3dx9math.h>

#include <list>

#include "document/ds_string.h"
#include "document/media_param_t.h"

namespace {

template <class T>
T V(int i);
template <>
unsigned int V<unsigned int>(int i) { return static_cast<unsigned int>(i); }
template <>
ds_string V<ds_string>(int i) { return ds_string(static_cast<size_t>(i % 7 + 1), static_cast<char16_t>(u'a' + i)); }
template <>
D3DXVECTOR3 V<D3DXVECTOR3>(int i) { return D3DXVECTOR3(1.0f, 2.0f, static_cast<float>(i)); }  // z differs only

class Counter : public MediaControl {
 public:
  void OnChange(MediaControl*) override { ++calls; }
  int calls = 0;
};

template <class T>
class UndoHistory : public testing::Test {
 protected:
  UndoHistory() { property.AddObserver(&counter); }
  ~UndoHistory() override { property.RemoveObserver(&counter); }

  // A live change followed by recording it, as an editor does.
  void Change(int i) {
    property.SetAndNotify(V<T>(i));
    property.UndoControl().Record();
  }
  std::list<T> Expected(std::initializer_list<int> values) {
    std::list<T> list;
    for (int i : values) list.push_back(V<T>(i));
    return list;
  }

  MediaParamT<T> property{V<T>(0)};
  Counter counter;
};

using ValueTypes = testing::Types<unsigned int, ds_string, D3DXVECTOR3>;
TYPED_TEST_SUITE(UndoHistory, ValueTypes);

TYPED_TEST(UndoHistory, KeepsTheTwentyNewest) {
  for (int i = 1; i <= 21; ++i) this->Change(i);
  const auto& history = this->property.UndoControl().History();
  ASSERT_EQ(history.size(), 20u);
  EXPECT_EQ(history.front(), V<TypeParam>(21));
  EXPECT_EQ(history.back(), V<TypeParam>(2));
}

TYPED_TEST(UndoHistory, UndoAndRedoExchangeWithTheSavedValue) {
  this->property = V<TypeParam>(5);
  this->property.UndoControl().Record();
  this->property.SetAndNotify(V<TypeParam>(8));
  this->counter.calls = 0;
  this->property.UndoControl().Undo();
  EXPECT_EQ(this->property.value, V<TypeParam>(5));
  EXPECT_EQ(this->property.UndoControl().History(), this->Expected({8}));
  EXPECT_EQ(this->counter.calls, 1);
  this->property.UndoControl().Undo();  // nothing left to undo
  EXPECT_EQ(this->counter.calls, 1);
  this->property.UndoControl().Redo();
  EXPECT_EQ(this->property.value, V<TypeParam>(8));
  EXPECT_EQ(this->property.UndoControl().History(), this->Expected({5}));
  EXPECT_EQ(this->counter.calls, 2);
  this->property.UndoControl().Redo();  // nothing left to redo
  EXPECT_EQ(this->counter.calls, 2);
}

TYPED_TEST(UndoHistory, RecordingAfterUndosDropsTheUndoneSteps) {
  for (int i = 1; i <= 4; ++i) this->Change(i);
  this->property.UndoControl().Undo();
  this->property.UndoControl().Undo();
  this->Change(9);
  EXPECT_EQ(this->property.UndoControl().History(), this->Expected({9, 2, 1}));
}

TYPED_TEST(UndoHistory, UndoToAnEqualValueTellsNobody) {
  this->property.UndoControl().Record();  // records the current value
  this->counter.calls = 0;
  this->property.UndoControl().Undo();
  EXPECT_EQ(this->counter.calls, 0);
  EXPECT_EQ(this->property.value, V<TypeParam>(0));
  EXPECT_EQ(this->property.UndoControl().History(), this->Expected({0}));
}

}  // namespace
