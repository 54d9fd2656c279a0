// Simulated devices keep their memory between runs in one file per device.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/SimKeyboard.h"
#include "sim/SimMouse.h"
#include "SimTestSupport.h"

namespace orlo::sim::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SimPersistence, WrittenMemoryComesBackInTheNextRun) {
  TempSimDir dir;
  const std::vector<uint8_t> block(SimMouse::kBlockSize, 0x42);
  {
    auto backend = MakeSimBackend("mouse,keyboard");
    auto h = backend->Open(CommandPath(*backend, "mouse"), true, true);
    ASSERT_EQ(WriteBlock(*h, kCmdWriteSettings, block, 56, 3 * SimMouse::kProfileStride), kStatusOk);
    ASSERT_EQ(WriteBlock(*h, kCmdWriteMacro, {0xAA, 0x55, 0x20, 0}, 56), kStatusOk);
    EXPECT_EQ(FilesIn(dir.Folder()), std::vector<std::string>{"mouse.mem"})
        << "one file per device that was written to, nothing left over";
  }
  auto backend = MakeSimBackend("mouse-receiver,keyboard");
  auto mouse = std::dynamic_pointer_cast<SimMouse>(backend->Device("mouse-receiver"));
  EXPECT_EQ(mouse->SettingsBlock(3), block) << "the receiver connection reaches the same mouse";
  EXPECT_EQ(mouse->Memory().Byte(Area::Macro, 2), 0x20);
  auto keyboard = std::dynamic_pointer_cast<SimKeyboard>(backend->Device("keyboard"));
  EXPECT_EQ(keyboard->Memory().Snapshot(Area::Settings), SimKeyboard::MakeMemory()->Snapshot(Area::Settings));
}

TEST(SimPersistence, ReadsAndStreamedFramesWriteNoFile) {
  TempSimDir dir;
  auto backend = MakeSimBackend("keyboard");
  auto h = backend->Open(CommandPath(*backend, "keyboard"), true, true);
  ASSERT_EQ(ReadBlock(*h, kCmdReadSettings, 26, 56).size(), 26u);
  ASSERT_EQ(WriteBlock(*h, kCmdStreamLightFrame, std::vector<uint8_t>(312, 7), 56), kStatusOk);
  EXPECT_TRUE(FilesIn(dir.Folder()).empty());
  // Power state and info block are the device's own and are not kept.
  ASSERT_EQ(WriteBlock(*h, kCmdWriteLightData, {1, 2, 3}, 56, 512), kStatusOk);
  backend->Device("keyboard")->SetPowerState(5, 1);
  auto again = MakeSimBackend("keyboard");
  EXPECT_EQ(again->Device("keyboard")->Memory().Byte(Area::LightData, 513), 2);
  EXPECT_EQ(again->Device("keyboard")->Memory().Byte(Area::Power, 0), 100);
}

TEST(SimPersistence, CorruptOrForeignFilesGiveTheFactoryState) {
  TempSimDir dir;
  {
    auto backend = MakeSimBackend("mouse");
    auto h = backend->Open(CommandPath(*backend, "mouse"), true, true);
    ASSERT_EQ(WriteBlock(*h, kCmdWriteSettings, {0, 9, 9, 9}, 56, 128), kStatusOk);
  }
  const std::string file = dir.Folder() + "mouse.mem";
  std::vector<char> good;
  {
    std::ifstream in(file, std::ios::binary);
    good.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(good.size(), 100u);
  const auto factory = SimMouse::MakeMemory()->Snapshot(Area::Settings);
  auto loadsFactory = [&](const std::vector<char>& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    auto backend = MakeSimBackend("mouse");
    return backend->Device("mouse")->Memory().Snapshot(Area::Settings) == factory;
  };
  EXPECT_FALSE(loadsFactory(good)) << "the intact file is taken";
  auto flipped = good;
  flipped[flipped.size() / 2] ^= 0x10;
  EXPECT_TRUE(loadsFactory(flipped));
  EXPECT_TRUE(loadsFactory(std::vector<char>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() - 9))));
  EXPECT_TRUE(loadsFactory({}));
  EXPECT_TRUE(loadsFactory(std::vector<char>(good.size(), 'x')));

  // A keyboard's file under the mouse's name: its areas do not fit the mouse's layout.
  {
    auto kb = SimKeyboard::MakeMemory("mouse");
    kb->SetPersistFolder(dir.Folder());
    ASSERT_TRUE(kb->Save());
  }
  auto backend = MakeSimBackend("mouse");
  EXPECT_EQ(backend->Device("mouse")->Memory().Snapshot(Area::Settings), factory);
  EXPECT_EQ(backend->Device("mouse")->Memory().Snapshot(Area::KeyTable), SimMouse::MakeMemory()->Snapshot(Area::KeyTable));
}

TEST(SimPersistence, CanBeSwitchedOffOrSentElsewhere) {
  TempSimDir dir;
  {
    auto backend = MakeSimBackend("mouse", NoPersistence());
    auto h = backend->Open(CommandPath(*backend, "mouse"), true, true);
    ASSERT_EQ(WriteBlock(*h, kCmdWriteSettings, {0, 1}, 56, 128), kStatusOk);
  }
  EXPECT_TRUE(FilesIn(dir.Folder()).empty());

  const std::string other = dir.Folder() + "elsewhere/";
  SimOptions options;
  options.folder = other;
  auto backend = MakeSimBackend("headset", options);
  auto h = backend->Open(backend->Enumerate()->at(0), true, true);
  ASSERT_EQ(WriteBlock(*h, kCmdWriteSettings, {0, 1}, 24, 64), kStatusOk);
  EXPECT_TRUE(fs::exists(other + "headset.mem"));
  EXPECT_EQ(DefaultSimFolder(), dir.Folder());
}

}  // namespace
}  // namespace orlo::sim::test
