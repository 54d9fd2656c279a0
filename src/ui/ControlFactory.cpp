#include "ui/ControlFactory.h"

#include <QWidget>
#include <algorithm>
#include <cctype>

#include "ui/ColorPaletteUI.h"
#include "ui/DeviceKeyButtonUI.h"
#include "ui/SelectPanelUI.h"

namespace orlo::ui {
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

CControlFactory& CControlFactory::GetInstance() {
  static CControlFactory factory;
  return factory;
}

void CControlFactory::RegistControl(const std::string& className, Creator creator) {
  if (className.empty() || !creator) return;
  creators_[Lower(className)] = {className, std::move(creator)};
}

const CControlFactory::Creator* CControlFactory::Find(const std::string& className) const {
  if (className.empty()) return nullptr;
  const std::string key = Lower(className);
  if (auto it = creators_.find(key); it != creators_.end()) return &it->second.second;
  // Layouts use the short form: "SelectPanel" for "CSelectPanelUI".
  if (auto it = creators_.find("c" + key + "ui"); it != creators_.end()) return &it->second.second;
  return nullptr;
}

QWidget* CControlFactory::CreateControl(const std::string& className, QWidget* parent) const {
  const Creator* creator = Find(className);
  return creator != nullptr ? (*creator)(parent) : nullptr;
}

bool CControlFactory::IsRegistered(const std::string& className) const {
  return Find(className) != nullptr;
}

std::vector<std::string> CControlFactory::RegisteredNames() const {
  std::vector<std::string> names;
  for (const auto& [key, entry] : creators_) names.push_back(entry.first);
  return names;
}

void RegisterToolkitControls() {
  auto& factory = CControlFactory::GetInstance();
  factory.RegistControl("CSelectPanelUI", [](QWidget* parent) { return new CSelectPanelUI(parent); });
  factory.RegistControl(CColorPaletteUI::kClassName, [](QWidget* parent) { return new CColorPaletteUI(parent); });
  factory.RegistControl("CDeviceKeyButtonUI",
                        [](QWidget* parent) { return new CDeviceKeyButtonUI(parent); });
}

}  // namespace orlo::ui
