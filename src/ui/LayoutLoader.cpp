#include "ui/LayoutLoader.h"

#include <QWidget>

#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"

namespace orlo::ui {

CLayoutLoader::CLayoutLoader(IDialogBuilderCallback* callback, QObject* parent)
    : QUiLoader(parent), callback_(callback), builtIn_(availableWidgets()) {}

QWidget* CLayoutLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
  QWidget* w = nullptr;
  const std::string cls = className.toStdString();
  if (callback_ != nullptr) w = callback_->CreateControl(cls, parent);
  if (w == nullptr) w = CControlFactory::GetInstance().CreateControl(cls, parent);
  if (w == nullptr && builtIn_.contains(className)) w = QUiLoader::createWidget(className, parent, name);
  if (w == nullptr) {
    // Never fall back to the declared base class: routing and painting rely on the real type.
    if (!unknown_.contains(className)) unknown_.append(className);
    return nullptr;
  }
  w->setObjectName(name);
  return w;
}

}  // namespace orlo::ui
