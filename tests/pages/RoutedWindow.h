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
  void ShowMessageText(const std::string& text) override { messages.push_back(text); }
  bool Confirm(const std::string& id) override {
    messages.push_back(id);
    return confirm;
  }
  bool PickColour(uint32_t& argb) override {
    if (!pickedColour) return false;
    argb = *pickedColour;
    return true;
  }
  void CaptionCommand(Caption which) override { captions.push_back(which); }

  CRouter& Router() { return router_; }

  CTessaroUSBDevice* selected = nullptr;
  bool confirm = true;
  std::optional<uint32_t> pickedColour;
  std::vector<std::string> messages;
  std::vector<Caption> captions;

 private:
  CRouter router_;
};

}  // namespace orlo::testing_support
