// Fuzz target for the data blocks other programs send to the main window over the bus: audio
// frames and style values for the audio inbox, and simulated-device commands. The first input
// byte picks the kind (frame, style, device command or the next four bytes as any kind); the rest
// is the block. A block must be taken exactly when its size fits its kind, a refused one must
// leave the inbox as it was, and a command that reads must read the same after being written.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/AudioInbox.h"
#include "sim/SimControl.h"

using orlo::CAudioInbox;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

int32_t Word(const std::vector<uint8_t>& d, size_t i) {
  return static_cast<int32_t>(static_cast<uint32_t>(d[4 * i]) | static_cast<uint32_t>(d[4 * i + 1]) << 8 |
                              static_cast<uint32_t>(d[4 * i + 2]) << 16 |
                              static_cast<uint32_t>(d[4 * i + 3]) << 24);
}

void CheckCommand(const std::vector<uint8_t>& data) {
  const std::string text(data.begin(), data.end());
  const auto command = orlo::sim::ParseSimCommand(text);
  if (!command) return;
  Check(text.size() <= orlo::sim::kMaxSimCommand);
  Check(!command->node.empty());
  const std::string again = orlo::sim::FormatSimCommand(*command);
  const auto reread = orlo::sim::ParseSimCommand(again);
  Check(reread.has_value());
  Check(reread->verb == command->verb && reread->node == command->node);
}

// Two blocks in a row, so a refusal after a taken block is checked against real contents.
void CheckInbox(uint32_t kind, const std::vector<uint8_t>& data) {
  CAudioInbox inbox;
  std::vector<uint8_t> first(8);
  for (size_t i = 0; i < first.size(); ++i) first[i] = static_cast<uint8_t>(0xA0 + i);
  Check(inbox.Accept(CAudioInbox::kFrameKind, first) == CAudioInbox::Result::Frame);

  const auto frame = inbox.Frame();
  const auto previous = inbox.PreviousFrame();
  const auto style = inbox.Style();
  const size_t length = inbox.FrameLength();
  const uint64_t count = inbox.FrameCount();

  const auto result = inbox.Accept(kind, data);
  const bool whole = !data.empty() && data.size() % 4 == 0;
  const size_t values = data.size() / 4;
  if (kind == CAudioInbox::kFrameKind && whole && values <= CAudioInbox::kFrameValues) {
    Check(result == CAudioInbox::Result::Frame);
    Check(inbox.FrameLength() == values && inbox.FrameCount() == count + 1);
    Check(inbox.PreviousFrame() == frame);
    for (size_t i = 0; i < CAudioInbox::kFrameValues; ++i) {
      Check(inbox.Frame()[i] == (i < values ? Word(data, i) : 0));
    }
    Check(inbox.Style() == style);
    return;
  }
  if (kind == CAudioInbox::kStyleKind && whole && values == CAudioInbox::kStyleValues) {
    Check(result == CAudioInbox::Result::Style);
    for (size_t i = 0; i < values; ++i) Check(inbox.Style()[i] == Word(data, i));
    Check(inbox.Frame() == frame && inbox.FrameCount() == count);
    return;
  }
  Check(result == CAudioInbox::Result::Refused);
  Check(inbox.Frame() == frame && inbox.PreviousFrame() == previous && inbox.Style() == style);
  Check(inbox.FrameLength() == length && inbox.FrameCount() == count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint32_t kind = 0;
  size_t start = 1;
  switch (data[0] % 4) {
    case 0: kind = CAudioInbox::kFrameKind; break;
    case 1: kind = CAudioInbox::kStyleKind; break;
    case 2: kind = orlo::sim::kSimControlKind; break;
    default:
      if (size < 5) return 0;
      std::memcpy(&kind, data + 1, 4);
      start = 5;
  }
  const std::vector<uint8_t> block(data + start, data + size);
  if (kind == orlo::sim::kSimControlKind) {
    CheckCommand(block);
  } else {
    CheckInbox(kind, block);
  }
  return 0;
}
