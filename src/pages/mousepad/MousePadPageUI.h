#pragma once
// The mousepad page: the pad's picture with its 15 light buttons and the lighting controls.
#include "pages/common/LightStripPageUI.h"

namespace orlo {

class CMousePadPageUI : public CLightStripPageUI {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CMousePadPageUI";

  explicit CMousePadPageUI(QWidget* parent = nullptr) : CLightStripPageUI(parent) {}
  std::string GetPageClassName() const override { return kClassName; }
};

}  // namespace orlo
