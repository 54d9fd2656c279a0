#pragma once
// The headset page: the headset's picture with its 13 light buttons, the lighting controls and
// the voice controls (microphone and monitoring, equaliser presets and bands, voice changer).
// Voice changes run on the device's worker, which talks to the chip; a headset without its sound
// card shows why and keeps the voice controls disabled. While the page paints the preview, the
// same colours go to the headset's LEDs.
#include <atomic>
#include <functional>
#include <memory>

#include "pages/common/LightStripPageUI.h"

namespace orlo {

class CTessaroRO6533Device;

class CHeadsetPageUI : public CLightStripPageUI {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CHeadsetPageUI";

  explicit CHeadsetPageUI(QWidget* parent = nullptr);
  std::string GetPageClassName() const override { return kClassName; }

  CTessaroRO6533Device* Headset() const;
  void ApplyProfileToPage() override;
  void PaintLeds() override;
  // The driver's voice settings on the voice controls (without raising notifications).
  void ShowVoice();

 protected:
  void RegisterRoutes(CRouteTable& routes) override;

 private:
  // Runs a voice operation on the device's worker, then shows the voice settings again.
  void RunVoice(std::function<void(CTessaroRO6533Device&)> op);

  // A frame is on its way to the headset: the next paint does not queue another.
  std::shared_ptr<std::atomic<bool>> framePending_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace orlo
