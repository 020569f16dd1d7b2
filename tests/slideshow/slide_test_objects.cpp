#include "slide_test_objects.h"

#include <sstream>

#include "document/class_registry.h"
#include "render/counted_ptr.h"

int TestMark::live = 0;

namespace {
const IOF_Virtual_ReaderT<TestMark> g_TestMarkReader;
const bool g_TestMarkRegistered = RegisterReader(GetConstructorRegistry(), u"TestMark", g_TestMarkReader);
}  // namespace

template <>
void IOF_ReadFields<TestMark>(DS_IOF_Virtual** stream, DWORD, TestMark& mark) {
  mark.ReadBase(stream);
}

TestMark::TestMark() { ++live; }
TestMark::TestMark(const TestMark& other)
    : DS_ABObj_Constructor(other), log(other.log), needsBackground(other.needsBackground) {
  ++live;
}
TestMark::~TestMark() { --live; }

DS_ABObj* TestMark::CreateObject() { return new TestObject(new TestMark(*this)); }

void TestMark::Restart() {
  if (log) log->push_back("restart " + Label());
}

std::string TestMark::Label() const { return std::string(name.begin(), name.end()); }

void TestObject::Log(const std::string& event) const {
  if (Mark().log) Mark().log->push_back(event + " " + Mark().Label());
}

void TestObject::Render(DS_ABRender& layer) {
  Log("render");
  if (onRender) onRender(*this, layer);
}

void TestObject::Update(float time) {
  std::ostringstream text;
  text << "update " << Mark().Label() << " " << time;
  if (Mark().log) Mark().log->push_back(text.str());
}

void TestObject::SetActive(bool active) { Log(active ? "on" : "off"); }

CountedPtr<DS_ABObj> MakeTestObject(const std::u16string& name, EventLog* log, bool needsBackground) {
  TestMark mark;
  mark.name = name;
  mark.log = log;
  mark.needsBackground = needsBackground;
  return CountedPtr<DS_ABObj>(mark.CreateObject());
}
