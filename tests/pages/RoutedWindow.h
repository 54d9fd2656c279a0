#pragma once
// A window whose notifications go through the router, as in the main window, with the answers
// a page asks of the window (messages, confirmations, a picked colour) recorded or scripted.
#include <optional>
#include <string>
#include <vector>

#include "app/Router.h"
#include "ui/WindowUI.h"

namespace orlo::testing_support {

class RoutedWindow : public ui::CWindowUI, public IRouterHost {
 public:
  RoutedWindow() : ui::CWindowUI(nullptr, Qt::Window), router_(*this) {}
  void Notify(ui::TNotifyUI& msg) override { router_.Route(msg); }

  CTessaroUSBDevice* SelectedDevice() override { return selected; }
  int ScreenWidth() const override { return 1920; }
  int ScreenHeight() const override { return 1080; }
  void ShowMessage(const std::string& id) override { messages.push_back(id); }
  bool Confirm(const std::string& id) override {
    messages.push_back(id);
    return confirm;
  }
  void ShowText(const std::string& text) override { messages.push_back(text); }
  std::string ChooseFile(bool /*save*/, const std::string& /*filter*/) override { return chosenFile; }
  bool PickColour(uint32_t& argb) override {
    if (!pickedColour) return false;
    argb = *pickedColour;
    return true;
  }
  void CaptionCommand(Caption which) override { captions.push_back(which); }
  void SyncLighting() override { ++syncRequests; }
  void OpenMusicWindow() override { ++musicWindowRequests; }

  CRouter& Router() { return router_; }

  CTessaroUSBDevice* selected = nullptr;
  bool confirm = true;
  std::optional<uint32_t> pickedColour;
  std::vector<std::string> messages;
  std::string chosenFile;
  std::vector<Caption> captions;
  int syncRequests = 0;
  int musicWindowRequests = 0;

 private:
  CRouter router_;
};

}  // namespace orlo::testing_support
