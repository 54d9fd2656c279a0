#pragma once
// The simulated wired mouse's page with its profile control, in a window that records what
// the profile commands ask of it: message boxes (with their numbers), the switch timer, and
// the paths the file dialogs answer.
#include <string>
#include <utility>
#include <vector>

#include "pages/common/DeviceProfileUI.h"
#include "pages/mouse/MousePageRig.h"

namespace orlo::testing_support {

class ProfileWindow : public RoutedWindow {
 public:
  void ShowNumberMessage(const std::string& id, long long number) override { numbers.emplace_back(id, number); }
  std::string AskOpenPath(const std::string& filter) override {
    filters.push_back(filter);
    return openPath;
  }
  std::string AskSavePath(const std::string& filter) override {
    filters.push_back(filter);
    return savePath;
  }
  void StartProfileSwitchTimer() override { ++timerStarts; }
  void ResetMusicSettings() override { ++musicResets; }

  std::vector<std::pair<std::string, long long>> numbers;
  std::vector<std::string> filters;
  std::string openPath, savePath;
  int timerStarts = 0;
  int musicResets = 0;
};

class ProfilePageRig : public MousePageRig {
 protected:
  void SetUp() override {
    MousePageRig::SetUp();
    window_ = std::make_unique<ProfileWindow>();
    window_->resize(1000, 520);
  }
  ProfileWindow& Window() { return static_cast<ProfileWindow&>(*window_); }

  // The page as the device manager builds it: profile control bound to the open list.
  void OpenProfilePage(bool receiver = false) {
    OpenPage(receiver);
    page_->SetUpProfileControl();
    control_ = page_->ProfileControl();
    ASSERT_NE(control_, nullptr);
  }
  // Timer 1055 fired; the device's worker finishes what the switch submitted.
  void FireSwitchTimer() {
    page_->SwitchToChosenProfile(Window());
    Flush();
  }

  CDeviceProfileUI* control_ = nullptr;
};

}  // namespace orlo::testing_support
