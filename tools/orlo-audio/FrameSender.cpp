#include "FrameSender.h"

#include "analysis/LevelFrameEncoder.h"

namespace orlo::audio {

bool CFrameSender::Send(const std::vector<uint8_t>& block, TimePoint now) {
  if (!bus_.SendData(title_, senderId_, CLevelFrameEncoder::kKind, block)) return false;
  lastDelivered_ = now;
  ++delivered_;
  return true;
}

}  // namespace orlo::audio
