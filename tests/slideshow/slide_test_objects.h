// Descriptions and render objects of the tests' own for the slide tests: each writes what it is asked
// to do into a shared log. "TestMark" descriptions are read from documents through the constructor
// registry; their record is the class header, then the base description record (the name).
#pragma once
#include <string>
#include <vector>

#include "render/ab_obj.h"
#include "render/ab_obj_constructor.h"
#include "render/counted_ptr.h"

using EventLog = std::vector<std::string>;

class TestMark : public DS_ABObj_Constructor {
 public:
  TestMark();
  TestMark(const TestMark& other);
  ~TestMark() override;

  // A TestObject around a clone; the clone logs into the same log.
  DS_ABObj* CreateObject() override;
  void Restart() override;

  std::string Label() const;

  EventLog* log = nullptr;
  bool needsBackground = false;

  // Descriptions (clones included) alive now.
  static int live;
};

class TestObject : public DS_ABObj {
 public:
  explicit TestObject(TestMark* clone) { controller.reset(clone); }

  // Logs "render <name>" and hands what it saw to `onRender`, when set.
  void Render(DS_ABRender& layer) override;
  void DrawSelection(DS_ABRender&, int) override {}
  void Update(float time) override;
  void SyncLayout() override {}
  void SetActive(bool active) override;
  bool NeedsBackground() override { return Mark().needsBackground; }

  TestMark& Mark() const { return static_cast<TestMark&>(*controller); }
  void (*onRender)(TestObject& self, DS_ABRender& layer) = nullptr;

 private:
  void Log(const std::string& event) const;
};

// A description already turned into its object: what CreateRenderObjects leaves in a slide's lists.
CountedPtr<DS_ABObj> MakeTestObject(const std::u16string& name, EventLog* log, bool needsBackground = false);
