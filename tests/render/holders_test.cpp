#include <gtest/gtest.h>

#include "document/com_holder.h"
#include "render/counted_ptr.h"
#include "unknwn.h"

namespace {

// A COM object that only counts, and records when it would be freed.
struct CountingUnknown : IUnknown {
  ULONG references = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
};

struct Tracked {
  explicit Tracked(int* deaths) : deaths(deaths) {}
  virtual ~Tracked() { ++*deaths; }
  int* deaths;
};
struct DerivedTracked : Tracked {
  using Tracked::Tracked;
};

}  // namespace

TEST(ComHolder, OwnsOneReferenceAndCopiesAddOne) {
  CountingUnknown object;
  {
    ComHolder<CountingUnknown> a;
    EXPECT_EQ(a.Get(), nullptr);
    a.Attach(&object);  // the creation's own reference
    ComHolder<CountingUnknown> b;
    b = a;
    EXPECT_EQ(object.references, 2u);
    b = b;  // self-assignment changes nothing
    EXPECT_EQ(object.references, 2u);
    b.Set(&object);  // already held: no further reference
    EXPECT_EQ(object.references, 2u);
    b.Release();
    EXPECT_EQ(b.Get(), nullptr);
    EXPECT_EQ(object.references, 1u);
    b.Release();  // releasing an empty holder is harmless
  }
  EXPECT_EQ(object.references, 0u);
}

TEST(ComHolder, AssigningAnotherInterfaceReleasesTheOldOne) {
  CountingUnknown first, second;
  ComHolder<CountingUnknown> holder;
  holder.Attach(&first);
  ComHolder<CountingUnknown> other;
  other.Attach(&second);
  holder = other;
  EXPECT_EQ(first.references, 0u);
  EXPECT_EQ(second.references, 2u);
}

TEST(CountedPtr, LastReleaseDeletesThroughVirtualDestructor) {
  int deaths = 0;
  CountedPtr<Tracked> a(new DerivedTracked(&deaths));
  CountedPtr<Tracked> b = a;
  EXPECT_EQ(a.Count(), 2);
  b.Release();
  EXPECT_TRUE(b.IsNull());
  EXPECT_EQ(a.Count(), 1);
  EXPECT_EQ(deaths, 0);
  a.Release();
  EXPECT_EQ(deaths, 1);
  EXPECT_TRUE(a.IsNull());
}

TEST(CountedPtr, NullObjectBlockAndNullHolder) {
  CountedPtr<Tracked> empty(nullptr);  // a block for an entry that could not be read
  EXPECT_FALSE(empty.IsNull());
  EXPECT_EQ(empty.Get(), nullptr);
  CountedPtr<Tracked> copy = empty;
  EXPECT_EQ(copy.Count(), 2);
  copy.Release();
  empty.Release();  // frees the block without touching an object (checked under the sanitizers)
  CountedPtr<Tracked> none;
  CountedPtr<Tracked> alsoNone = none;
  EXPECT_TRUE(alsoNone.IsNull());
}
