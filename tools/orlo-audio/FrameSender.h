#pragma once
// Sends the level blocks to the main window over the message bus, and notices when that window
// has been gone for a while: the capture program exists for it and ends without it. Whether the
// window is there is asked at most once a second (a round trip to the bus daemon); in between
// the blocks go out without asking.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/Levels.h"
#include "platform/bus/MessageBus.h"

namespace orlo::audio {

class CFrameSender {
 public:
  // senderId goes out as the wParam of every block (this process's id); patience is how long
  // the window may be missing, counted from `start` until it is first seen.
  CFrameSender(bus::MessageBus& bus, std::string title, int64_t senderId,
               std::chrono::nanoseconds patience, TimePoint start)
      : bus_(bus), title_(std::move(title)), senderId_(senderId), patience_(patience), lastSeen_(start) {}

  static constexpr std::chrono::seconds kRecheck{1};

  // Sends one block of kind 1; false when the window was not on the bus at the last look.
  bool Send(const std::vector<uint8_t>& block, TimePoint now);
  // Sends the style values (a block of kind 2); false when the window was not on the bus at the
  // last look.
  bool SendStyle(const std::vector<uint8_t>& block);
  // True once the window has not been seen for longer than the patience.
  bool PeerGone(TimePoint now) const { return now - lastSeen_ > patience_; }
  uint64_t Sent() const { return sent_; }

 private:
  bus::MessageBus& bus_;
  std::string title_;
  int64_t senderId_;
  std::chrono::nanoseconds patience_;
  TimePoint lastSeen_;
  bool present_ = false;
  bool looked_ = false;
  TimePoint lastLook_{};
  uint64_t sent_ = 0;
};

}  // namespace orlo::audio
