#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

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

// A count or coordinate is a whole number within its range: a fraction, a boolean, a string or a
// number beyond the range would be cut, wrapped or converted into something the file never said.
TEST(MachineTest, NumbersThatAreNotWholeOrOutOfRangeAreRefusedByName) {
  const struct {
    const char* text;
    const char* named;  // in the reason given
  } cases[] = {
      {R"({"displays": [{"name": "A", "x": 2147483648}]})", "\"x\""},
      {R"({"displays": [{"name": "A", "y": -2147483649}]})", "\"y\""},
      {R"({"displays": [{"name": "A", "x": 18446744073709551615}]})", "\"x\""},
      {R"({"displays": [{"name": "A", "x": "5"}]})", "\"x\""},
      {R"({"displays": [{"name": "A", "mode": {"width": 1024.5}}]})", "\"width\""},
      {R"({"displays": [{"name": "A", "mode": {"height": 768.0}}]})", "\"height\""},
      {R"({"displays": [{"name": "A", "mode": {"width": true}}]})", "\"width\""},
      {R"({"displays": [{"name": "A", "mode": {"refresh": 1e2}}]})", "\"refresh\""},
      {R"({"displays": [{"name": "A", "attached": 1}]})", "\"attached\""},
      {R"({"displays": [{"name": "A", "description": 7}]})", "\"description\""},
      {R"({"adapters": [{"display": 0.5}]})", "\"display\""},
      {R"({"adapters": [{"deviceIdentifier": [1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,1.5]}]})", "deviceIdentifier"},
      {R"({"faults": {"deviceLostFromFrame": 18446744073709551615}})", "\"deviceLostFromFrame\""},
      {R"({"faults": {"deviceNotResetFromFrame": 2147483648}})", "\"deviceNotResetFromFrame\""},
      {R"({"faults": {"failLocks": "yes"}})", "\"failLocks\""},
      {R"({"faults": {"missingLibraries": [5]}})", "\"missingLibraries\""},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(machine::ParseMachine(c.text, error)) << c.text;
    EXPECT_NE(error.find(c.named), std::string::npos) << c.text << ": " << error;
  }
}

// Monitor rectangles are 32-bit and every monitor gets buffers of its size: a desktop beyond either
// is refused, one just within both is read.
TEST(MachineTest, DesktopMustFitItsCoordinatesAndTheMemoryOfItsBuffers) {
  auto displays = [](int count, const std::string& each) {
    std::string text = R"({"displays": [)";
    for (int i = 0; i < count; ++i)
      text += (i ? "," : "") + std::string(R"({"name": "D)") + std::to_string(i) + "\", " + each + "}";
    return text + "]";
  };
  const struct {
    std::string text;
    bool read;
  } cases[] = {
      {R"({"displays": [{"name": "A", "x": 2147483000, "mode": {"width": 1024}}]})", false},
      {R"({"displays": [{"name": "A", "y": 2147483000, "mode": {"height": 768}}]})", false},
      {R"({"displays": [{"name": "A", "x": 2147482623, "y": 2147482879}]})", true},  // ends at 2^31 - 1
      {R"({"displays": [{"name": "A", "x": -2147483648, "y": -2147483648}]})", true},
      {R"({"displays": [{"name": "A", "x": -2147483648}, {"name": "B", "x": 2147482000}]})", false},
      {displays(10, R"("mode": {"width": 16384, "height": 16384})") + "}", false},
      {displays(1, R"("mode": {"width": 16384, "height": 16384})") + "}", false},
      {displays(8, R"("mode": {"width": 4096, "height": 2048})") + "}", true},
      // A full-screen mode of the adapter counts as well as the desktop's.
      {displays(8, R"("mode": {"width": 4096, "height": 2048})") +
           R"(, "adapters": [{"display": 3, "modes": [{"width": 8192, "height": 2048}]}]})",
       false},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(machine::ParseMachine(c.text, error).has_value(), c.read) << c.text << ": " << error;
    EXPECT_EQ(error.empty(), c.read) << c.text;
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

// What is no description file is not read at all: a FIFO would block the start until someone writes
// to it, a device or a huge file would be read for ever.
TEST(MachineTest, EnvironmentNamingNoRegularFileGivesTheDefaultMachineAtOnce) {
  const auto folder = std::filesystem::temp_directory_path() / "copperleaf-machine-special";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "folder");
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  {
    std::ofstream huge(folder / "huge.json");
    huge << R"({"displays": [{"name": "\\\\.\\DISPLAY7", "description": ")" << std::string(2 << 20, 'x')
         << R"("}]})";
  }
  for (const auto& path : {folder / "fifo", folder / "folder", std::filesystem::path("/dev/zero"), folder / "huge.json"}) {
    SCOPED_TRACE(path);
    setenv("COPPERLEAF_MACHINE", path.c_str(), 1);
    testing::internal::CaptureStderr();
    const machine::Machine loaded = machine::MachineFromEnvironment();
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(loaded.displays.at(0).name, u"\\\\.\\DISPLAY1");
    EXPECT_NE(message.find(path.string()), std::string::npos);
  }
  unsetenv("COPPERLEAF_MACHINE");
  std::filesystem::remove_all(folder);
}

}  // namespace
