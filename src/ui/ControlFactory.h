#pragma once
// Custom controls created by class name. Layouts name a class either as registered
// ("CSelectPanelUI") or in its short form ("SelectPanel"); both find the same creator, and
// names compare case-insensitively.
#include <functional>
#include <map>
#include <string>
#include <vector>

class QWidget;

namespace orlo::ui {

class CControlFactory {
 public:
  using Creator = std::function<QWidget*(QWidget* parent)>;

  static CControlFactory& GetInstance();

  void RegistControl(const std::string& className, Creator creator);
  // Null when no creator matches.
  QWidget* CreateControl(const std::string& className, QWidget* parent) const;
  bool IsRegistered(const std::string& className) const;
  std::vector<std::string> RegisteredNames() const;

 private:
  const Creator* Find(const std::string& className) const;
  std::map<std::string, std::pair<std::string, Creator>> creators_;  // lower-case key
};

// Registers the toolkit's own custom controls (picture panel and key button).
void RegisterToolkitControls();

}  // namespace orlo::ui
