#include "device/mouse/MouseSettingsBlock.h"

#include <algorithm>

#include "base/ByteOrder.h"

namespace orlo {

namespace {
constexpr int kStageBase = 14;
constexpr int kStageSize = 9;
}  // namespace

MouseSettingsBytes EncodeMouseSettings(const MouseSettingsBytes& previous, const MouseSettings& s,
                                       bool receiver) {
  MouseSettingsBytes block = previous;
  block[0] = s.profileByte;
  block[1] = s.modeCode;
  block[2] = s.brightness;
  block[3] = static_cast<uint8_t>(4 - std::min<int>(s.speedIndex, 4));
  block[4] = s.direction;
  block[5] = s.multicolour;
  block[6] = s.red;
  block[7] = s.green;
  block[8] = s.blue;
  block[9] = 0;
  if (!receiver) block[11] = s.reportRate;
  block[12] = s.activeStage;
  const size_t written = std::min<size_t>(s.stages.size(), kMouseStageCount);
  for (size_t i = 0; i < written; ++i) {
    uint8_t* at = block.data() + kStageBase + kStageSize * i;
    const DPIStage& st = s.stages[i];
    at[0] = st.active;
    at[1] = st.xy;
    PutLe16(at + 2, st.dpiX);
    PutLe16(at + 4, st.dpiY);
    at[6] = st.red;
    at[7] = st.green;
    at[8] = st.blue;
  }
  block[59] = s.byte59;
  PutLe16(block.data() + 60, s.screenWidth);
  PutLe16(block.data() + 62, s.screenHeight);
  block[64] = s.liftMinSq;
  block[65] = s.liftPixThresh;
  if (receiver) block[77] = s.receiverReportRate;
  return block;
}

MouseSettings DecodeMouseSettings(const MouseSettingsBytes& b) {
  MouseSettings s;
  s.profileByte = b[0];
  s.modeCode = b[1];
  s.brightness = b[2];
  s.speedIndex = static_cast<uint8_t>(4 - std::min<int>(b[3], 4));
  s.direction = b[4];
  s.multicolour = b[5];
  s.red = b[6];
  s.green = b[7];
  s.blue = b[8];
  s.reportRate = b[11];
  s.activeStage = b[12];
  for (int i = 0; i < kMouseStageCount; ++i) {
    const uint8_t* at = b.data() + kStageBase + kStageSize * i;
    s.stages.push_back(DPIStage{at[0], at[1], GetLe16(at + 2), GetLe16(at + 4), at[6], at[7], at[8]});
  }
  s.byte59 = b[59];
  s.screenWidth = GetLe16(&b[60]);
  s.screenHeight = GetLe16(&b[62]);
  s.liftMinSq = b[64];
  s.liftPixThresh = b[65];
  s.receiverReportRate = b[77];
  return s;
}

}  // namespace orlo
