// A burst of slider ticks is one change: the page edits the driver's model on every tick, and the
// debounce commits once — one document save and one settings write.
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <filesystem>

#include "pages/mouse/MousePageRig.h"
#include "sim/SimProtocol.h"

namespace orlo {
namespace {

using testing_support::MousePageRig;

class CommitBurstTest : public MousePageRig {
 protected:
  void TearDown() override {
    if (watch_ >= 0) ::close(watch_);
    MousePageRig::TearDown();
  }
  // Counts, from here on, every time a file of the device folder is written in place or renamed
  // into place: an atomic save of the document is one such event for its name.
  void WatchFolder() {
    watch_ = ::inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch_, 0);
    ASSERT_GE(::inotify_add_watch(watch_, DeviceFolder().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
  }
  int SavesOf(const std::string& file) {
    int saves = 0;
    alignas(inotify_event) std::array<char, 8192> buffer{};
    for (;;) {
      const ssize_t n = ::read(watch_, buffer.data(), buffer.size());
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buffer.data() + at);
        if (e->len > 0 && file == e->name) ++saves;
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
    return saves;
  }
  int watch_ = -1;
};

TEST_F(CommitBurstTest, FiftySliderTicksSaveOnceAndWriteOnce) {
  OpenPage();
  const std::string document = std::filesystem::path(mouse_->GetProfileName()).filename().string();
  WatchFolder();
  sim_->ClearLog();
  for (int tick = 0; tick < 50; ++tick) RaiseOnly("DPI_slider_2", ui::notify::kValueChanged, 10 + tick);
  // The burst is still going on as far as anyone can tell: nothing written, nothing saved.
  EXPECT_EQ(CountOf(sim::kCmdBeginConfig), 0u);
  EXPECT_EQ(SavesOf(document), 0);
  EXPECT_TRUE(mouse_->Debounce().Pending());

  Flush();  // the debounce timer fires
  EXPECT_EQ(SavesOf(document), 1);
  EXPECT_EQ(CountOf(sim::kCmdBeginConfig), 1u);
  EXPECT_EQ(CountOf(sim::kCmdWriteSettings), 2u);  // 78 bytes: 56 + 22 on the cable
  EXPECT_EQ(CountOf(sim::kCmdEndConfig), 1u);
  // The last tick's position 59 shows 7100 on this mouse's two-slope scale: 100 + 48 × 100 up
  // to the knee, then 11 steps of 200.
  const auto block = Block(0);
  EXPECT_EQ(block[14 + 9 * 2 + 2] | (block[14 + 9 * 2 + 3] << 8), 7100);
  EXPECT_FALSE(mouse_->Debounce().Pending());
}

}  // namespace
}  // namespace orlo
