#pragma once
// Helpers shared by the widget tests.
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "ui/NotifyUI.h"
#include "ui/WindowUI.h"

namespace orlo::ui::test {

// Points the toolkit at the skin folder of the source tree and loads the English texts.
void UseSourceSkin();

// Writes a layout file (Qt Designer format) around `widgets` (the <widget> elements inside a
// top-level QWidget named "root" without a layout) and returns its absolute path.
std::string WriteLayout(const QTemporaryDir& dir, const std::string& name, const std::string& widgets,
                        const std::string& customWidgets = {});

// A window that records every notification it receives.
class RecordingWindow : public CWindowUI {
 public:
  explicit RecordingWindow(std::string skin) : skin_(std::move(skin)) {}
  std::string GetSkinFile() const override { return skin_; }
  void Notify(TNotifyUI& msg) override { received.push_back(msg); }

  // Notifications of `type`, in order.
  std::vector<TNotifyUI> OfType(const std::string& type) const;
  // Names of the senders of `type`.
  std::vector<std::string> SendersOf(const std::string& type) const;

  std::vector<TNotifyUI> received;

 private:
  std::string skin_;
};

}  // namespace orlo::ui::test
