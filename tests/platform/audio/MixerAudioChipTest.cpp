// The real headset's chip component: the sound card found by USB id in a /proc/asound tree of
// the test's own, its devices as endpoints, and the chip properties on a mixer of the test's own.
#include "platform/audio/MixerAudioChip.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/audio/AudioChipLoader.h"
#include "platform/audio/AudioChipPort.h"
#include "platform/audio/ChipBuffer.h"
#include "platform/audio/ChipProperties.h"
#include "platform/audio/ChipText.h"
#include "platform/audio/MixerBinding.h"
#include "platform/audio/SoundCardList.h"

namespace orlo::audio {
namespace {

namespace fs = std::filesystem;

class ProcTree {
 public:
  ProcTree() : root_(fs::temp_directory_path() / ("orlo-asound-" + std::to_string(::getpid()))) {
    fs::remove_all(root_);
    fs::create_directories(root_);
    Write("cards",
          " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
          "                      HDA Intel PCH at 0xf7f10000 irq 32\n"
          " 1 [Headset        ]: USB-Audio - Gaming Headset\n"
          "                      Generic Gaming Headset at usb-0000:00:14.0-2, full speed\n"
          " 2 [Other          ]: USB-Audio - Other\n"
          "                      Other at usb-0000:00:14.0-3, full speed\n");
    Write("card1/usbid", "320F:222E\n");
    Write("card2/usbid", "0000:0000\n");
    Write("card3/usbid", "1234:5678\n");  // not listed in cards
    for (const char* d : {"card1/pcm0p", "card1/pcm0c", "card1/pcm1p", "card1/pcm10p", "card1/pcmXp", "card1/pcm0"})
      fs::create_directories(root_ / d);
  }
  ~ProcTree() { fs::remove_all(root_); }
  void Write(const std::string& rel, const std::string& text) {
    fs::create_directories((root_ / rel).parent_path());
    std::ofstream(root_ / rel) << text;
  }
  std::string Root() const { return root_.string(); }

 private:
  fs::path root_;
};

TEST(SoundCardList, FindsTheCardByUsbIdAndListsItsDevices) {
  ProcTree tree;
  EXPECT_EQ(ListSoundCards(tree.Root()), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(FindUsbSoundCard(tree.Root(), 0x320F, 0x222E), 1);
  EXPECT_EQ(FindUsbSoundCard(tree.Root(), 0x1234, 0x5678), std::nullopt);  // card 3 is not listed
  EXPECT_EQ(FindUsbSoundCard(tree.Root(), 0x0000, 0x0000), std::nullopt);  // names no device
  tree.Write("card1/usbid", "320f-222e\n");
  EXPECT_EQ(FindUsbSoundCard(tree.Root(), 0x320F, 0x222E), std::nullopt);
  EXPECT_EQ(FindUsbSoundCard(tree.Root() + "/missing", 0x320F, 0x222E), std::nullopt);

  EXPECT_EQ(ListPcmDevices(tree.Root(), 1, false), (std::vector<int>{0, 1, 10}));
  EXPECT_EQ(ListPcmDevices(tree.Root(), 1, true), (std::vector<int>{0}));
  EXPECT_TRUE(ListPcmDevices(tree.Root(), 0, false).empty());

  // The loader takes the card found, and fails as "cannot be loaded" without one.
  EXPECT_EQ(LoadUsbAudioChip(0x320F, 0x2230, tree.Root()), nullptr);
  tree.Write("card1/usbid", "320f:222e\n");
  auto chip = std::dynamic_pointer_cast<MixerAudioChip>(LoadUsbAudioChip(0x320F, 0x222E, tree.Root()));
  ASSERT_NE(chip, nullptr);
  EXPECT_EQ(chip->Card(), 1);
}

TEST(MixerBindingTable, EveryBoundPropertyIsAChipPropertyOnTheSameEndpoint) {
  for (const auto& b : MixerBindings()) {
    const ChipProperty* p = FindChipProperty(b.property);
    ASSERT_NE(p, nullptr) << b.property;
    EXPECT_EQ(p->flow, b.flow) << b.property;
  }
}

// A mixer of controls given by the test; two channels each.
class FakeMixer : public IMixer {
 public:
  struct Side {
    long min = 0, max = 0;  // no volume when equal
    bool hasSwitch = false;
    std::array<long, 2> volume{};
    std::array<bool, 2> on{true, true};
    bool operator==(const Side&) const = default;
  };
  std::map<std::pair<std::string, MixerDirection>, Side> sides;
  bool failSets = false;

  Side* Find(const std::string& c, MixerDirection d) {
    auto it = sides.find({c, d});
    return it == sides.end() ? nullptr : &it->second;
  }
  std::optional<std::pair<long, long>> VolumeRange(const std::string& c, MixerDirection d) override {
    Side* s = Find(c, d);
    return s && s->min != s->max ? std::optional(std::make_pair(s->min, s->max)) : std::nullopt;
  }
  std::optional<long> Volume(const std::string& c, MixerDirection d, int ch) override {
    Side* s = Find(c, d);
    return s ? std::optional<long>(s->volume[ch < 0 ? 0 : static_cast<size_t>(ch)]) : std::nullopt;
  }
  bool SetVolume(const std::string& c, MixerDirection d, int ch, long raw) override {
    Side* s = failSets ? nullptr : Find(c, d);
    if (s && ch < 0) s->volume = {raw, raw};
    if (s && ch >= 0) s->volume[static_cast<size_t>(ch)] = raw;
    return s != nullptr;
  }
  bool HasSwitch(const std::string& c, MixerDirection d) override { return Find(c, d) && Find(c, d)->hasSwitch; }
  std::optional<bool> Switch(const std::string& c, MixerDirection d, int) override {
    return Find(c, d) ? std::optional<bool>(Find(c, d)->on[0]) : std::nullopt;
  }
  bool SetSwitch(const std::string& c, MixerDirection d, int, bool on) override {
    Side* s = failSets ? nullptr : Find(c, d);
    if (s) s->on = {on, on};
    return s != nullptr;
  }
};

struct MixerChipTest : ::testing::Test {
  MixerChipTest() {
    mixer->sides[{"Mic", MixerDirection::kCapture}] = {0, 127, true, {100, 100}, {true, true}};
    mixer->sides[{"Sidetone", MixerDirection::kPlayback}] = {4, 36, true, {8, 8}, {true, true}};
  }
  void Open() {
    ASSERT_EQ(chip.ConfLibInit(), kChipOk);
    ASSERT_EQ(chip.CreateDeviceList(), kChipOk);
  }
  int Set(const EndpointRecord& ep, std::string_view name, ChipBuffer value, std::optional<int32_t> channel = {}) {
    ChipBuffer param = BufferOfInts({channel.value_or(0)});
    return chip.PropertyControl(ep, ToChipName(name), value, channel ? &param : nullptr, PropertyMode::kSet);
  }
  ChipAnswer Get(const EndpointRecord& ep, std::string_view name) {
    ChipBuffer value{};
    const int r = chip.PropertyControl(ep, ToChipName(name), value, nullptr, PropertyMode::kGet);
    return {r, r == kChipOk ? std::string(TextOf(value)) : std::string()};
  }
  FakeMixer::Side& Of(const std::string& control, MixerDirection dir) { return mixer->sides[{control, dir}]; }
  static ChipBuffer Float(float v) {
    ChipBuffer b{};
    PutFloat(b, 0, v);
    return b;
  }

  ProcTree tree;
  FakeMixer* mixer = new FakeMixer;  // owned by the chip once opened
  std::unique_ptr<IMixer> owned{mixer};
  MixerAudioChip chip{1, tree.Root(), [this](int card) { return card == 1 ? std::move(owned) : nullptr; }};
  const EndpointRecord playback{256, 1, 0, 1};
  const EndpointRecord capture{256, 2, 0, 1};
};

TEST_F(MixerChipTest, EndpointsAreTheCardsDevices) {
  MixerAudioChip closed(1, tree.Root(), [](int) { return nullptr; });
  EXPECT_EQ(closed.ConfLibInit(), kChipFailed);  // a mixer that cannot be opened fails the start
  EXPECT_EQ(Get(capture, "MuteControl").result, kChipNotReady);  // before the start
  Open();
  uint32_t n = 0;
  chip.GetDeviceCount(Flow::kPlayback, n);
  EXPECT_EQ(n, 3u);
  chip.GetDeviceCount(Flow::kRecording, n);
  EXPECT_EQ(n, 1u);
  EndpointRecord r;
  ASSERT_EQ(chip.GetDeviceById(Flow::kPlayback, 2, r), kChipOk);
  EXPECT_EQ(r, (EndpointRecord{266, 1, 10, 1}));
  ASSERT_EQ(chip.GetDeviceById(Flow::kRecording, 0, r), kChipOk);
  EXPECT_EQ(r, capture);
  EXPECT_EQ(chip.GetDeviceById(Flow::kRecording, 1, r), kChipNotReady);
  EXPECT_EQ(Get(EndpointRecord{999, 2, 0, 1}, "MuteControl").result, kChipNotReady);
}

TEST_F(MixerChipTest, MicrophoneAndMonitoringReachTheirControls) {
  Open();
  // 0.35 of 0-127 is 44.45: raw 44 on every channel, read back as level 35.
  EXPECT_EQ(Set(capture, "VolumeScalarControl", Float(0.35f), -1), kChipOk);
  EXPECT_EQ(Of("Mic", MixerDirection::kCapture).volume, (std::array<long, 2>{44, 44}));
  const ChipAnswer level = Get(capture, "VolumeScalarControl");
  EXPECT_EQ(level.text, "0.3465");
  EXPECT_EQ(LevelFromChipScalar(level.text), 35);

  EXPECT_EQ(Set(capture, "MuteControl", BufferOfInts({1})), kChipOk);
  EXPECT_EQ(Of("Mic", MixerDirection::kCapture).on, (std::array<bool, 2>{false, false}));
  EXPECT_EQ(Get(capture, "MuteControl").text, "1");

  // Monitoring on the sidetone control (4-36), first channel only: 4 + 0.3 × 32 = 13.6 → 14.
  EXPECT_EQ(Set(capture, "AAVolumeScalarControl", Float(0.3f), 0), kChipOk);
  EXPECT_EQ(Of("Sidetone", MixerDirection::kPlayback).volume, (std::array<long, 2>{14, 8}));
  EXPECT_EQ(Get(capture, "AAVolumeScalarControl").text, "0.3125");
  EXPECT_EQ(Get(capture, "GetAAMaxVol").text, "36");
  EXPECT_EQ(Set(capture, "AAMuteControl", BufferOfInts({0})), kChipOk);
  EXPECT_EQ(Get(capture, "AAMuteControl").text, "0");

  EXPECT_EQ(Get(capture, "GetSupportFeature").text, "0,0,0,0,0,0,0");
  EXPECT_EQ(Get(playback, "GetSupportFeature").text, "0,0,0,0,0,0,0");
}

TEST_F(MixerChipTest, MonitoringFallsBackToMicPlaybackAndIsUnsupportedWithoutIt) {
  mixer->sides.erase({"Sidetone", MixerDirection::kPlayback});
  mixer->sides[{"Mic", MixerDirection::kPlayback}] = {0, 31, true, {0, 0}, {false, false}};
  Open();
  EXPECT_EQ(Get(capture, "GetAAMaxVol").text, "31");
  EXPECT_EQ(Set(capture, "AAVolumeScalarControl", Float(1.0f), -1), kChipOk);
  EXPECT_EQ(Of("Mic", MixerDirection::kPlayback).volume, (std::array<long, 2>{31, 31}));

  mixer->sides.erase({"Mic", MixerDirection::kPlayback});
  EXPECT_EQ(Get(capture, "GetAAMaxVol").result, kChipUnsupported);
  EXPECT_EQ(Set(capture, "AAMuteControl", BufferOfInts({1})), kChipUnsupported);
}

TEST_F(MixerChipTest, WhatTheCardCannotDoOrTakeIsRefused) {
  Open();
  const auto before = mixer->sides;
  EXPECT_EQ(Set(playback, "EQ_Slider1", BufferOfInts({5})), kChipUnsupported);
  EXPECT_EQ(Set(capture, "Enable_MAGICVOICE", BufferOfInts({1})), kChipUnsupported);
  EXPECT_EQ(Get(playback, "MuteControl").result, kChipUnsupported);  // a recording property
  EXPECT_EQ(Set(capture, "GetAAMaxVol", BufferOfInts({1})), kChipUnsupported);
  EXPECT_EQ(Set(capture, "GetSupportFeature", BufferOfInts({1})), kChipUnsupported);
  EXPECT_EQ(Set(capture, "VolumeScalarControl", Float(1.5f), -1), kChipBadValue);
  EXPECT_EQ(Set(capture, "VolumeScalarControl", Float(std::nanf("")), -1), kChipBadValue);
  EXPECT_EQ(Set(capture, "VolumeScalarControl", Float(0.5f), 3), kChipBadValue);
  EXPECT_EQ(Set(capture, "MuteControl", BufferOfInts({2})), kChipBadValue);
  EXPECT_EQ(mixer->sides, before);

  mixer->failSets = true;
  EXPECT_EQ(Set(capture, "VolumeScalarControl", Float(0.5f), -1), kChipFailed);
  EXPECT_EQ(Set(capture, "MuteControl", BufferOfInts({0})), kChipFailed);
}

}  // namespace
}  // namespace orlo::audio
