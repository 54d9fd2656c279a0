#pragma once
// Sends the level blocks to the main window over the message bus, and notices when that window
// has been gone for a while: the capture program exists for it and ends without it.
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
  // the window may be missing, counted from `start` until the first block reaches it.
  CFrameSender(bus::MessageBus& bus, std::string title, int64_t senderId,
               std::chrono::nanoseconds patience, TimePoint start)
      : bus_(bus), title_(std::move(title)), senderId_(senderId), patience_(patience), lastDelivered_(start) {}

  // Sends one block of kind 1; false when the window is not on the bus.
  bool Send(const std::vector<uint8_t>& block, TimePoint now);
  // True once no block has reached the window for longer than the patience.
  bool PeerGone(TimePoint now) const { return now - lastDelivered_ > patience_; }
  uint64_t Delivered() const { return delivered_; }

 private:
  bus::MessageBus& bus_;
  std::string title_;
  int64_t senderId_;
  std::chrono::nanoseconds patience_;
  TimePoint lastDelivered_;
  uint64_t delivered_ = 0;
};

}  // namespace orlo::audio
