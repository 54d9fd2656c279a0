#pragma once
// The keyboard page: a drawing of the keyboard with one key button and one light button per key
// position, the lighting panel (with the music lighting controls), the selected key and the keyboard's system settings (repeat
// rate and delay, the three switches, the report rate). It is the view of a
// CTessaroKeyboardDevice: it pulls the driver's state, and its routes (KeyboardPageRoutes.cpp)
// change the driver's model and commit it.
//
// The light buttons are painted on the tab's LED timer, which pauses while the window is hidden.
// The frames of the host-driven effects do not depend on it: the driver's light thread streams
// them whether the page is shown or not.
#include <array>
#include <string>

#include "pages/common/DevicePageUI.h"
#include "pages/keyset/KeySetRoutes.h"

class QAbstractButton;
class QLabel;
class QSlider;

namespace orlo {

namespace ui {
class CDeviceKeyButtonUI;
}
class CTessaroKeyboardDevice;

class CKeyboardPageUI : public CDevicePageUI {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CKeyboardPageUI";
  static constexpr int kPositions = 170;
  static constexpr int kRates = 4;
  static constexpr int kRepeatDelays = 4;

  explicit CKeyboardPageUI(QWidget* parent = nullptr);
  std::string GetPageClassName() const override { return kClassName; }
  CTessaroKeyboardDevice* Keyboard() const;

  // ---- page operations ------------------------------------------------------------------------
  void BuildPage() override;
  void ApplyProfileToPage() override;
  void PaintLeds() override;
  void ShowKeyAssignments() override;
  void SelectKey(int index) override;
  void ShowFunctionTab(int fPage, int kPage) override;
  void ShowCatalogues() override;

  // ---- system settings --------------------------------------------------------------------------
  // An index outside 0..3 selects 0. Each returns the index taken.
  int SelectReportRate(int index);
  int SelectRepeatDelay(int index);
  void ShowSystemSettings();
  // Copies the system controls into the driver's system settings.
  void StoreSystemSettings();

  ui::CDeviceKeyButtonUI* KeyButton(int position) const;
  ui::CDeviceKeyButtonUI* LightButton(int position) const;
  // Light buttons painted since the page was built (a paint that changed nothing counts none).
  long long LightPaints() const { return lightPaints_; }
  // The key set panel and its routes.
  CKeySetRoutes& KeySet() { return keySet_; }

 protected:
  void RegisterRoutes(CRouteTable& routes) override;

 private:
  template <class T>
  T* Child(const std::string& name) const;
  std::string Translate(const std::string& id) const;
  void OnKeyClick(long long position);
  // "key_select_info": the selected key's legend and what it does now.
  void ShowSelectedKeyName(int index);
  // Shows which key positions this keyboard has: the others' buttons are hidden.
  void ShowPresentKeys();

  std::array<ui::CDeviceKeyButtonUI*, kPositions> keys_{};
  std::array<ui::CDeviceKeyButtonUI*, kPositions> lights_{};
  std::array<QAbstractButton*, kRates> rates_{};
  std::array<QAbstractButton*, kRepeatDelays> delays_{};
  QSlider* repeat_ = nullptr;
  QLabel* textTest_ = nullptr;
  bool built_ = false;
  long long lightPaints_ = 0;
  CKeySetRoutes keySet_{*this, [this]() -> IPageHost& { return Host(); }};
};

}  // namespace orlo
