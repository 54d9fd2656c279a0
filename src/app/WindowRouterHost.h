#pragma once
// The router's view of the main window: the selected device is read from the device tab row
// ("device_select_layout": the first tab that is shown, bound to a device and selected), the
// device's page is the page attached to it, and caption commands go back to the window.
#include <functional>

#include "app/Router.h"

namespace orlo {

namespace ui {
class CWindowUI;
}
class CDevicePageUI;

class CWindowRouterHost : public IRouterHost {
 public:
  struct Actions {
    // The device manager's answers; without them the tab row is read directly.
    std::function<CTessaroUSBDevice*()> selectedDevice;
    std::function<void(QWidget*)> tabSelected;
    std::function<void(Caption)> caption;
    std::function<void(bool next)> neighbourTab;
    std::function<int()> dpi;
    // The window's profile-switch timer (1055) and the recording lock of the tab row.
    std::function<void()> profileSwitchTimer;
    std::function<void(bool)> recordingLock;
    // Lighting synchronisation from the selected device; the music style window.
    std::function<void()> syncLighting;
    std::function<void()> musicWindow;
    std::function<void()> musicReset;
  };

  CWindowRouterHost(ui::CWindowUI* window, Actions actions);

  void SetScreenSize(int width, int height) { width_ = width, height_ = height; }

  CTessaroUSBDevice* SelectedDevice() override;
  CDevicePageUI* PageOf(CTessaroUSBDevice* device) override;
  int ScreenWidth() const override { return width_; }
  int ScreenHeight() const override { return height_; }
  bool IsCachedControl(const QWidget* sender, std::string_view name) const override;
  void CaptionCommand(Caption which) override;
  void ShowMessage(const std::string& textId) override;
  bool Confirm(const std::string& textId) override;
  void ShowText(const std::string& text) override;
  std::string ChooseFile(bool save, const std::string& filter) override;
  bool PickColour(uint32_t& argb) override;
  void ShowNumberMessage(const std::string& textId, long long number) override;
  std::string AskOpenPath(const std::string& filter) override;
  std::string AskSavePath(const std::string& filter) override;
  void StartProfileSwitchTimer() override;
  void SetRecordingLock(bool locked) override;
  void SyncLighting() override;
  void OpenMusicWindow() override;
  void ResetMusicSettings() override {
    if (actions_.musicReset) actions_.musicReset();
  }
  void OnTabSelected(QWidget* sender) override;
  void SelectNeighbourTab(bool next) override;

 private:
  ui::CWindowUI* window_;
  Actions actions_;
  int width_ = 0, height_ = 0;
};

}  // namespace orlo
