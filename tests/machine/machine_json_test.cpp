#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>

#include "platform/machine/machine_json.h"

namespace {

TEST(MachineTest, DefaultMachineHasOneMonitorAndOneAdapterWithItsModes) {
  const machine::Machine defaults = machine::DefaultMachine();
  ASSERT_EQ(defaults.displays.size(), 1u);
  EXPECT_EQ(defaults.displays[0].name, u"\\\\.\\DISPLAY1");
  EXPECT_TRUE(defaults.displays[0].primary);
  EXPECT_EQ(defaults.displays[0].current.width, 1024u);
  EXPECT_EQ(defaults.displays[0].current.height, 768u);
  ASSERT_EQ(defaults.adapters.size(), 1u);
  EXPECT_TRUE(defaults.adapters[0].hal.bumpEnvMap);
  EXPECT_TRUE(defaults.adapters[0].hal.v8u8);
  const auto& modes = defaults.adapters[0].modes;
  ASSERT_EQ(modes.size(), 8u);
  EXPECT_EQ(modes.front().width, 640u);
  EXPECT_EQ(modes.back().width, 1280u);
  EXPECT_EQ(modes.back().height, 1024u);
  EXPECT_EQ(modes.back().refresh, 75u);
}

TEST(MachineTest, DescriptionReadsEveryFieldAndKeepsDefaultsForTheRest) {
  const std::string text = R"({
    "displays": [
      {"name": "\\\\.\\DISPLAY1", "description": "First", "x": 0, "mode": {"width": 1280, "height": 1024}},
      {"name": "\\\\.\\DISPLAY2", "mirroring": true, "primary": false, "x": 1280, "monitorName": ""}
    ],
    "adapters": [
      {"display": 1, "description": "Second adapter", "deviceIdentifier": [1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16],
       "modes": [{"width": 800, "height": 600, "refresh": 75}], "hal": {"bumpEnvMap": false}}
    ],
    "faults": {"deviceLostFromFrame": 3, "createDeviceRefuses": [{"width": 1280, "height": 1024}],
               "missingLibraries": ["MPR.DLL"]}
  })";
  std::string error;
  const auto described = machine::ParseMachine(text, error);
  ASSERT_TRUE(described) << error;
  ASSERT_EQ(described->displays.size(), 2u);
  EXPECT_EQ(described->displays[0].description, u"First");
  EXPECT_EQ(described->displays[0].current.width, 1280u);
  EXPECT_EQ(described->displays[0].current.refresh, 60u);
  EXPECT_EQ(described->displays[0].monitorName, u"\\\\.\\DISPLAY1\\Monitor0");
  EXPECT_TRUE(described->displays[1].mirroring);
  EXPECT_TRUE(described->displays[1].monitorName.empty());
  EXPECT_EQ(described->displays[1].x, 1280);
  ASSERT_EQ(described->adapters.size(), 1u);
  const machine::Adapter& adapter = described->adapters[0];
  EXPECT_EQ(adapter.display, 1);
  EXPECT_EQ(adapter.description, "Second adapter");
  EXPECT_EQ(adapter.deviceIdentifier[15], 16);
  ASSERT_EQ(adapter.modes.size(), 1u);
  EXPECT_EQ(adapter.modes[0].refresh, 75u);
  EXPECT_FALSE(adapter.hal.bumpEnvMap);
  EXPECT_TRUE(adapter.hal.v8u8);
  EXPECT_FALSE(adapter.ref.available);
  EXPECT_EQ(described->faults.deviceLostFromFrame, 3);
  EXPECT_EQ(described->faults.deviceNotResetFromFrame, -1);
  ASSERT_EQ(described->faults.createDeviceRefuses.size(), 1u);
  EXPECT_EQ(described->faults.createDeviceRefuses[0].height, 1024u);
  EXPECT_EQ(described->faults.missingLibraries, std::vector<std::u16string>{u"MPR.DLL"});
}

TEST(MachineTest, BadDescriptionsAreRefusedWithAReason) {
  const char* cases[] = {
      "",
      "{\"displays\": [",
      "[]",
      "{\"displays\": {}}",
      "{\"displays\": [{\"description\": \"no name\"}]}",
      "{\"displays\": [{\"name\": 5}]}",
      "{\"displays\": [{\"name\": \"A\", \"mode\": {\"width\": 0}}]}",
      "{\"displays\": [{\"name\": \"A\", \"mode\": {\"width\": 100000}}]}",
      "{\"displays\": [{\"name\": \"A\", \"mode\": {\"bits\": 24}}]}",
      "{\"adapters\": [{\"display\": 1}]}",
      "{\"adapters\": [{\"deviceIdentifier\": [1, 2]}]}",
      "{\"adapters\": [{\"deviceIdentifier\": [1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,300]}]}",
      "{\"displays\": [], \"adapters\": [{}]}",
      "{\"faults\": {\"deviceLostFromFrame\": -5}}",
      "{\"faults\": []}",
      "{\"displays\": [{\"name\":\"1\"},{\"name\":\"2\"},{\"name\":\"3\"},{\"name\":\"4\"},{\"name\":\"5\"},"
      "{\"name\":\"6\"},{\"name\":\"7\"},{\"name\":\"8\"},{\"name\":\"9\"},{\"name\":\"10\"},{\"name\":\"11\"}]}",
  };
  for (const char* text : cases) {
    std::string error;
    EXPECT_FALSE(machine::ParseMachine(text, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

TEST(MachineTest, EnvironmentFileThatCannotBeUsedGivesTheDefaultMachineAndAMessage) {
  const auto path = std::filesystem::temp_directory_path() / "copperleaf-machine-test.json";
  {
    std::ofstream file(path);
    file << R"({"displays": [{"name": "\\\\.\\DISPLAY7"}]})";
  }
  setenv("COPPERLEAF_MACHINE", path.c_str(), 1);
  EXPECT_EQ(machine::MachineFromEnvironment().displays.at(0).name, u"\\\\.\\DISPLAY7");

  for (const char* bad : std::initializer_list<const char*>{"{ not json", nullptr}) {
    if (bad != nullptr) {
      std::ofstream file(path);
      file << bad;
    } else {
      std::filesystem::remove(path);
    }
    testing::internal::CaptureStderr();
    const machine::Machine loaded = machine::MachineFromEnvironment();
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(loaded.displays.at(0).name, u"\\\\.\\DISPLAY1");
    EXPECT_NE(message.find(path.string()), std::string::npos);
  }
  unsetenv("COPPERLEAF_MACHINE");
  EXPECT_EQ(machine::MachineFromEnvironment().displays.size(), 1u);
}

}  // namespace
