#pragma once
// The mouse page: the device picture with its 11 key buttons and 15 light buttons, the five
// resolution stages, the report rate, the system settings, the lighting controls and the key
// information list. It is the view of a CTessaroMouseDevice: it pulls the driver's state, and its
// routes (MousePageRoutes.cpp) change the driver's model and commit it.
//
// Every change made from code is muted, so that filling the page never routes back into the
// driver as if the user had changed it.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "pages/common/DevicePageUI.h"
#include "pages/keyset/KeySetRoutes.h"
#include "device/mouse/DpiScale.h"

class QLabel;
class QLineEdit;
class QSlider;
class QAbstractButton;
class QStackedWidget;
class QComboBox;
class QIntValidator;
class QTimer;

namespace orlo {

namespace ui {
class CDeviceKeyButtonUI;
}
class CTessaroMouseDevice;

class CMousePageUI : public CDevicePageUI {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CMousePageUI";
  static constexpr int kStages = 5;
  static constexpr int kRates = 5;
  static constexpr int kKeyButtons = 11;
  static constexpr int kLights = 15;

  explicit CMousePageUI(QWidget* parent = nullptr);
  std::string GetPageClassName() const override { return kClassName; }

  CTessaroMouseDevice* Mouse() const;
  // The scale of the attached mouse's information block.
  CDpiScale Scale() const;

  // ---- page operations ------------------------------------------------------------------------
  void BuildPage() override;
  void ApplyProfileToPage() override;
  void PaintLeds() override;
  bool PaintsOnLedChange() const override { return true; }
  // Light thread: the LEDs changed. At most one request waits for the next frame; the UI thread
  // paints the state of that moment.
  void OnLedsChanged() override;
  // A frame is waiting to be painted (for tests: the request was taken in).
  bool LedPaintPending() const { return ledPaintQueued_.load(); }
  void ShowKeyAssignments() override;
  void SelectKey(int index) override;
  void ShowFunctionTab(int fPage, int kPage) override;
  void ShowCatalogues() override;
  // Slider and edit ranges of the five stages.
  void SetStageRanges(int sliderMax, int editMax);

  // ---- stages -------------------------------------------------------------------------------
  // Out-of-range stages are ignored (getters return -1 / 0).
  void SelectStage(int s);
  void SetStageEnabled(int s, bool on);
  void SetStagePosition(int s, int position);
  // Only the edit follows the slider (live feedback while dragging).
  void ShowStageResolution(int s, int position);
  int GetStagePosition(int s) const;
  int GetTypedPosition(int s) const;
  void SetStageColour(int s, uint32_t argb);
  uint32_t GetStageColour(int s) const;
  bool IsStageEnabled(int s) const;
  int SelectedStage() const;

  // ---- report rate and system settings ---------------------------------------------------------
  // An index outside 0..4 selects 0. Returns the index taken.
  int SelectReportRate(int index);
  int SelectedReportRate() const;
  void ShowSystemSettings();
  // Copies the system controls into the driver's system settings.
  void StoreSystemSettings();
  void ShowSettingTab(int index);

  // ---- lighting ------------------------------------------------------------------------------
  void ShowLighting() override;

  // The page row's logo LED (-1: the logo has no LED of its own).
  void SetLogoLedIndex(int index) { logoLed_ = index; }

  // ---- key information -------------------------------------------------------------------------
  void SetKeyInfoRow(int i, const std::string& name);
  int KeyInfoRowCount() const;
  // Text of the second label of row i (empty when absent).
  std::string KeyInfoRowText(int i) const;
  bool KeyInfoRowShown(int i) const;
  ui::CDeviceKeyButtonUI* KeyButton(int i) const;
  ui::CDeviceKeyButtonUI* LightButton(int i) const;
  // The key set panel and its routes.
  CKeySetRoutes& KeySet() { return keySet_; }

 protected:
  void RegisterRoutes(CRouteTable& routes) override;

 private:
  template <class T>
  T* Child(const std::string& name) const;
  void ShowLogoTip();
  // "key_select_info": the selected button's name and what it does now.
  void ShowSelectedKeyName(int index);
  // Routes (MousePageRoutes.cpp).
  void OnKeyClick(long long index);
  void OnStageEnableChanged(int stage, bool on);
  void OnStageSelected(int stage, bool on);
  void OnStagePositionChanged(int stage, int position);
  void OnStageColourClicked(int stage);
  std::atomic<bool> ledPaintQueued_{false};
  QTimer* ledFrame_ = nullptr;  // single shot: the frame gap has passed
  // UI thread: paints now or arms ledFrame_ for the rest of the gap.
  void ScheduleLedPaint();
  void PaintLedFrame();

  std::array<ui::CDeviceKeyButtonUI*, kKeyButtons> keys_{};
  std::array<ui::CDeviceKeyButtonUI*, kLights> lights_{};
  std::array<ui::CDeviceKeyButtonUI*, kLights> lights0_{};
  ui::CDeviceKeyButtonUI* logo_ = nullptr;
  std::array<QSlider*, kStages> sliders_{};
  std::array<QLineEdit*, kStages> edits_{};
  std::array<QIntValidator*, kStages> validators_{};
  std::array<QAbstractButton*, kStages> enables_{};
  std::array<QAbstractButton*, kStages> selects_{};
  std::array<QWidget*, kStages> layouts_{};
  std::array<QAbstractButton*, kStages> colours_{};
  std::array<uint32_t, kStages> colourValues_{};
  std::array<QAbstractButton*, kRates> rates_{};
  QWidget* keyInfoList_ = nullptr;
  QLabel* textTest_ = nullptr;
  bool built_ = false;
  int logoLed_ = -1;
  int editMax_ = CDpiScale::kMaxTyped;
  CKeySetRoutes keySet_{*this, [this]() -> IPageHost& { return Host(); }};
};

}  // namespace orlo
