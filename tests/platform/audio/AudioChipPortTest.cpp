// The driver's chip port: endpoint choice, feature values, what reaches the chip in its buffers,
// and the trace line of every property call.
#include "platform/audio/AudioChipPort.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/DebugLog.h"
#include "platform/audio/ChipBuffer.h"

namespace orlo::audio {
namespace {

// A chip that lists given endpoints, answers given text per property name and records what it
// was handed.
class ScriptedChip : public IAudioChip {
 public:
  struct Seen {
    EndpointRecord endpoint;
    std::string name;
    PropertyMode mode;
    ChipBuffer value;
    bool hasParam;
    ChipBuffer param;
  };

  int ConfLibInit() override { return init; }
  int CreateDeviceList() override { return kChipOk; }
  int GetDeviceCount(Flow flow, uint32_t& count) override {
    count = countOverride ? countOverride : static_cast<uint32_t>(lists[static_cast<int>(flow)].size());
    return kChipOk;
  }
  int GetDeviceById(Flow flow, uint32_t index, EndpointRecord& record) override {
    ++byIdCalls;
    const auto& list = lists[static_cast<int>(flow)];
    if (index < list.size()) record = list[index];
    return index < list.size() ? kChipOk : kChipNotReady;
  }
  int PropertyControl(EndpointRecord endpoint, std::u16string_view name, ChipBuffer& value, ChipBuffer* param,
                      PropertyMode mode) override {
    seen.push_back({endpoint, FromChipName(name), mode, value, param != nullptr, param ? *param : ChipBuffer{}});
    auto a = answers.find(FromChipName(name));
    if (a == answers.end()) return kChipUnsupported;
    PutText(value, a->second.second);  // written even when the call fails
    return a->second.first;
  }

  int init = 0;
  uint32_t countOverride = 0;
  std::vector<EndpointRecord> lists[2];
  std::map<std::string, std::pair<int, std::string>> answers;
  std::vector<Seen> seen;
  int byIdCalls = 0;
};

struct PortTest : ::testing::Test {
  PortTest() {
    chip->lists[0] = {{1, 1, 0, 1}};
    chip->lists[1] = {{2, 2, 0, 1}};
    chip->answers["GetSupportFeature"] = {kChipOk, "131072,0,0,0,7,0,9"};
    port.SetTraceHook([this](const std::string& line) { lines.push_back(line); });
  }
  std::shared_ptr<ScriptedChip> chip = std::make_shared<ScriptedChip>();
  AudioChipPort port{chip};
  std::vector<std::string> lines;
};

TEST_F(PortTest, ChoosesThePreferredEndpointsAndReadsTheirFeatures) {
  // Playback: an active type 1 beats everything; an inactive one does not count.
  chip->lists[0] = {{1, 4, 0, 1}, {2, 1, 0, 0}, {3, 12, 0, 1}, {4, 1, 0, 1}};
  // Recording: the first type 2, whatever its state.
  chip->lists[1] = {{5, 3, 0, 1}, {6, 2, 0, 0}, {7, 2, 0, 1}};
  chip->init = 7;
  const ChipStart s = port.Start();
  EXPECT_TRUE(s.loaded);
  EXPECT_EQ(s.initResult, 7);  // reported, and the start went on
  EXPECT_EQ(s.playbackCount, 4u);
  EXPECT_EQ(s.recordingCount, 3u);
  EXPECT_EQ(port.Endpoint(Flow::kPlayback).record, (EndpointRecord{4, 1, 0, 1}));
  EXPECT_EQ(port.Endpoint(Flow::kRecording).record, (EndpointRecord{6, 2, 0, 0}));
  // Features are asked on the recording endpoint first.
  ASSERT_EQ(chip->seen.size(), 2u);
  EXPECT_EQ(chip->seen[0].endpoint, (EndpointRecord{6, 2, 0, 0}));
  EXPECT_EQ(chip->seen[1].endpoint, (EndpointRecord{4, 1, 0, 1}));
  EXPECT_EQ(port.Endpoint(Flow::kRecording).features, (std::array<int32_t, 3>{131072, 7, 9}));
  EXPECT_TRUE(port.OffersVoiceChanger());

  // Without type 1: the active type 12 is skipped when inactive, then type 7 comes before 4.
  chip->lists[0] = {{1, 4, 0, 1}, {2, 12, 0, 0}, {3, 7, 0, 1}};
  chip->answers["GetSupportFeature"] = {kChipOk, "131072,0,0"};  // too few fields
  port.Start();
  EXPECT_EQ(port.Endpoint(Flow::kPlayback).record, (EndpointRecord{3, 7, 0, 1}));
  EXPECT_FALSE(port.Endpoint(Flow::kRecording).featuresRead);
  EXPECT_EQ(port.Endpoint(Flow::kRecording).features, (std::array<int32_t, 3>{0, 0, 0}));
  EXPECT_FALSE(port.OffersVoiceChanger());
}

TEST_F(PortTest, WithoutChipOrEndpointNothingIsAsked) {
  AudioChipPort none;
  EXPECT_FALSE(none.Start().loaded);
  EXPECT_EQ(none.Get(Flow::kRecording, "MuteControl").result, kChipNotReady);
  EXPECT_EQ(none.SetInt(Flow::kRecording, "MuteControl", 1), kChipNotReady);

  // No playback endpoint: the start stops, no endpoint is chosen, no property is asked.
  chip->lists[0].clear();
  EXPECT_EQ(port.Start().playbackCount, 0u);
  EXPECT_EQ(port.SetInt(Flow::kRecording, "MuteControl", 1), kChipNotReady);
  EXPECT_TRUE(chip->seen.empty());

  // No recording endpoint of type 2: playback works, recording is never asked.
  chip->lists[0] = {{1, 1, 0, 1}};
  chip->lists[1] = {{2, 3, 0, 1}};
  port.Start();
  EXPECT_FALSE(port.Endpoint(Flow::kRecording).found);
  EXPECT_EQ(port.Get(Flow::kRecording, "MuteControl").result, kChipNotReady);
  for (const auto& s : chip->seen) EXPECT_EQ(s.endpoint, (EndpointRecord{1, 1, 0, 1}));

  // A chip claiming a billion endpoints is looked at only so far.
  chip->countOverride = 1'000'000'000;
  chip->byIdCalls = 0;
  port.Start();
  EXPECT_EQ(chip->byIdCalls, 2 * static_cast<int>(AudioChipPort::kMaxEndpoints));
}

TEST_F(PortTest, BuffersCarryTheValueAndParametersAndNothingElse) {
  port.Start();
  chip->seen.clear();
  chip->answers["VolumeScalarControl"] = {kChipOk, ""};
  EXPECT_EQ(port.SetFloat(Flow::kRecording, "VolumeScalarControl", 0.35f, {-1}), kChipOk);
  const auto& set = chip->seen.back();
  EXPECT_EQ(set.mode, PropertyMode::kSet);
  EXPECT_EQ(FloatAt(set.value, 0), 0.35f);
  ASSERT_TRUE(set.hasParam);
  EXPECT_EQ(Int32At(set.param, 0), -1);
  for (size_t i = 4; i < kChipBufferSize; ++i) ASSERT_EQ(set.value[i] | set.param[i], 0) << i;

  chip->answers["MuteControl"] = {kChipOk, "1"};
  const ChipAnswer got = port.Get(Flow::kRecording, "MuteControl");
  EXPECT_TRUE(got.Ok());
  EXPECT_EQ(got.text, "1");
  EXPECT_FALSE(chip->seen.back().hasParam);
  EXPECT_EQ(chip->seen.back().value, ChipBuffer{});  // zeroed before the call

  // Text left by a failing call is not an answer.
  chip->answers["MuteControl"] = {kChipFailed, "0"};
  EXPECT_EQ(port.Get(Flow::kRecording, "MuteControl").text, "");
  // A name outside ASCII never reaches the chip.
  const size_t calls = chip->seen.size();
  EXPECT_EQ(port.Get(Flow::kRecording, "M\xC3\xBCte").result, kChipUnsupported);
  EXPECT_EQ(chip->seen.size(), calls);
}

TEST_F(PortTest, EveryPropertyCallIsOneTraceLine) {
  port.Start();
  chip->answers["VolumeScalarControl"] = {kChipOk, ""};
  chip->answers["VirtualSurroundEffectControl"] = {kChipOk, "1"};
  chip->answers["MuteControl"] = {kChipFailed, ""};
  chip->answers["Enable_MAGICVOICE"] = {kChipOk, "1\n2"};
  port.SetFloat(Flow::kRecording, "VolumeScalarControl", 0.35f, {-1});
  port.SetInt(Flow::kPlayback, "EQ_Slider3", -4);
  port.Get(Flow::kPlayback, "VirtualSurroundEffectControl", {4, -1, 0});
  port.Get(Flow::kRecording, "MuteControl");
  port.Get(Flow::kRecording, "Enable_MAGICVOICE");
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "芯片 PropertyControl recording get GetSupportFeature value=131072,0,0,0,7,0,9 result=0",
                       "芯片 PropertyControl playback get GetSupportFeature value=131072,0,0,0,7,0,9 result=0",
                       "芯片 PropertyControl recording set VolumeScalarControl value=0.35 param=-1 result=0",
                       "芯片 PropertyControl playback set EQ_Slider3 value=-4 result=1",
                       "芯片 PropertyControl playback get VirtualSurroundEffectControl value=1 param=4,-1,0 result=0",
                       "芯片 PropertyControl recording get MuteControl result=2",
                       "芯片 PropertyControl recording get Enable_MAGICVOICE value=1?2 result=0",
                   }));
}

TEST(PortTrace, GoesToTheCommandTraceWithoutAHook) {
  const auto path = std::filesystem::temp_directory_path() / ("orlo-chip-trace-" + std::to_string(::getpid()));
  auto chip = std::make_shared<ScriptedChip>();
  chip->lists[0] = {{1, 1, 0, 1}};
  SetTracePath(path.string());
  AudioChipPort(chip).Start();
  SetTracePath("");
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  std::filesystem::remove(path);
  EXPECT_EQ(text.str(), "芯片 PropertyControl playback get GetSupportFeature result=1\n");
}

}  // namespace
}  // namespace orlo::audio
