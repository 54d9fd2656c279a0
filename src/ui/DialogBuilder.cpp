#include "ui/DialogBuilder.h"

#include <QDir>
#include <QFile>
#include <QVBoxLayout>
#include <QWidget>

#include "ui/DpiManager.h"
#include "ui/LanguageStore.h"
#include "ui/LayoutLoader.h"
#include "ui/NotifyBridge.h"
#include "ui/ResourceManager.h"

namespace orlo::ui {

QWidget* CDialogBuilder::Create(const std::string& file, IDialogBuilderCallback* callback,
                                QWidget* parent) {
  error_.clear();
  const std::string path = CResourceManager::GetInstance().ResolveLayout(file);
  if (path.empty()) {
    error_ = "layout not found: " + file;
    return nullptr;
  }
  QFile in(QString::fromStdString(path));
  if (!in.open(QIODevice::ReadOnly)) {
    error_ = "layout unreadable: " + path;
    return nullptr;
  }
  CLayoutLoader loader(callback);
  loader.setWorkingDirectory(QDir(QString::fromStdString(CResourceManager::GetInstance().GetResourcePath())));
  QWidget* root = loader.load(&in, parent);
  if (!loader.UnknownClasses().isEmpty()) {
    delete root;
    error_ = "unknown control class in " + path + ": " +
             loader.UnknownClasses().join(QLatin1String(", ")).toStdString();
    return nullptr;
  }
  if (root == nullptr) {
    error_ = "layout invalid: " + path + ": " + loader.errorString().toStdString();
    return nullptr;
  }
  // Containers that carry a style role paint the background the style sheet gives them.
  const auto all = root->findChildren<QWidget*>();
  for (QWidget* w : all) {
    if (w->property("role").isValid()) w->setAttribute(Qt::WA_StyledBackground, true);
  }
  if (root->property("role").isValid()) root->setAttribute(Qt::WA_StyledBackground, true);
  // A subtree is usable at once: texts, scale and notifications do not wait for the event loop.
  CLanguageStore::GetInstance().ApplyTexts(root);
  CDpiManager::ApplyTo(root);
  CNotifyBridge::Instance().Attach(root);
  return root;
}

QWidget* CDialogBuilder::CreateInside(const std::string& file, QWidget* host) {
  auto* box = new QVBoxLayout(host);
  box->setContentsMargins(0, 0, 0, 0);
  QWidget* root = Create(file, nullptr, host);
  if (root != nullptr) box->addWidget(root);
  return root;
}

}  // namespace orlo::ui
