#include "FrameSender.h"

#include "MusicColour.h"
#include "analysis/LevelFrameEncoder.h"

namespace orlo::audio {

bool CFrameSender::Send(const std::vector<uint8_t>& block, TimePoint now) {
  if (!looked_ || now - lastLook_ >= kRecheck) {
    looked_ = true;
    lastLook_ = now;
    present_ = bus_.PeerPresent(title_);
  }
  if (!present_) return false;
  lastSeen_ = lastLook_;
  if (!bus_.PostData(title_, senderId_, CLevelFrameEncoder::kKind, block)) return false;
  ++sent_;
  return true;
}

bool CFrameSender::SendStyle(const std::vector<uint8_t>& block) {
  return present_ && bus_.PostData(title_, senderId_, CMusicColour::kStyleKind, block);
}

}  // namespace orlo::audio
