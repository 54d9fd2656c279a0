#include "ui/Selection.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QListWidget>
#include <QStackedWidget>
#include <QTabWidget>
#include <memory>
#include <optional>
#include <vector>

#include "ui/NotifyBridge.h"

namespace orlo::ui {

bool SelectItem(QWidget* control, int index, bool notify) {
  if (control == nullptr || index < -1) return false;
  std::optional<CNotifyBridge::Mute> mute;
  if (!notify) mute.emplace(control);
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    if (index >= combo->count()) return false;
    combo->setCurrentIndex(index);
    return true;
  }
  if (auto* list = qobject_cast<QListWidget*>(control)) {
    if (index >= list->count()) return false;
    list->setCurrentRow(index);
    return true;
  }
  if (auto* tabs = qobject_cast<QTabWidget*>(control)) {
    if (index < 0 || index >= tabs->count()) return false;
    tabs->setCurrentIndex(index);
    return true;
  }
  if (auto* stack = qobject_cast<QStackedWidget*>(control)) {
    if (index < 0 || index >= stack->count()) return false;
    stack->setCurrentIndex(index);
    return true;
  }
  return false;
}

void SelectOption(QAbstractButton* option, bool selected, bool notify) {
  if (option == nullptr) return;
  // Checking one option of a group unchecks its partner, which must stay quiet as well.
  std::vector<std::unique_ptr<CNotifyBridge::Mute>> mutes;
  if (!notify) {
    mutes.push_back(std::make_unique<CNotifyBridge::Mute>(option));
    QList<QAbstractButton*> partners;
    if (option->group() != nullptr) {
      partners = option->group()->buttons();
    } else if (option->autoExclusive() && option->parentWidget() != nullptr) {
      partners = option->parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
    }
    for (QAbstractButton* b : partners) {
      if (b != option) mutes.push_back(std::make_unique<CNotifyBridge::Mute>(b));
    }
  }
  option->setChecked(selected);
}

}  // namespace orlo::ui
