#include "ui/WindowUI.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "platform/DebugLog.h"
#include "ui/DialogBuilder.h"
#include "ui/DpiManager.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyBridge.h"
#include "ui/TimerService.h"

namespace orlo::ui {

CWindowUI::CWindowUI(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

CWindowUI::~CWindowUI() {
  if (modalLoop_) modalLoop_->exit(result_);
}

void CWindowUI::Notify(TNotifyUI& /*msg*/) {}

bool CWindowUI::BuildLayout(IDialogBuilderCallback* callback) {
  if (root_ != nullptr) return true;
  const std::string skin = GetSkinFile();
  if (skin.empty()) return false;
  CDialogBuilder builder;
  QWidget* root = builder.Create(skin, callback, this);
  if (root == nullptr) {
    DebugLine(GetWindowClassName() + ": " + builder.LastError());
    return false;
  }
  root_ = root;
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  box->addWidget(root_);
  // A layout file may size its top widget; the window starts at that size.
  if (root_->size().isValid() && !root_->size().isEmpty()) resize(root_->size());
  CNotifyBridge::Instance().Attach(this);
  CLanguageStore::GetInstance().ApplyTexts(this);
  CDpiManager::ApplyTo(this);
  return true;
}

bool CWindowUI::Create(const std::string& windowName, IDialogBuilderCallback* callback) {
  if (!windowName.empty()) setWindowTitle(QString::fromStdString(windowName));
  if (!BuildLayout(callback)) return false;
  InitWindow();
  return true;
}

QWidget* CWindowUI::FindControl(const std::string& name) const {
  if (name.empty()) return nullptr;
  if (objectName().toStdString() == name) return const_cast<CWindowUI*>(this);
  return FindSubControlByName(this, name);
}

QWidget* FindSubControlByName(const QWidget* parent, const std::string& name) {
  if (parent == nullptr || name.empty()) return nullptr;
  return parent->findChild<QWidget*>(QString::fromStdString(name));
}

void CWindowUI::SetTimer(QWidget* control, int id, int ms) {
  CTimerService::Instance().SetTimer(control, id, ms);
}

void CWindowUI::KillTimer(QWidget* control, int id) { CTimerService::Instance().KillTimer(control, id); }

void CWindowUI::KillTimer(QWidget* control) { CTimerService::Instance().KillTimers(control); }

bool CWindowUI::SendNotify(QWidget* sender, const std::string& type, std::int64_t wParam,
                           std::int64_t lParam) {
  return CNotifyBridge::SendNotify(sender != nullptr ? sender : this, type, wParam, lParam);
}

void CWindowUI::AddNotifier(INotifyUI* notifier) {
  if (notifier != nullptr && std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) {
    notifiers_.push_back(notifier);
  }
}

void CWindowUI::RemoveNotifier(INotifyUI* notifier) {
  notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), notifier), notifiers_.end());
}

void CWindowUI::Dispatch(TNotifyUI& msg) {
  QPointer<CWindowUI> self(this);
  Notify(msg);
  // Notify may close and delete the window; a listener list copy guards against edits during
  // delivery.
  if (!self) return;
  const auto listeners = notifiers_;
  for (INotifyUI* n : listeners) {
    if (!self) return;
    if (std::find(notifiers_.begin(), notifiers_.end(), n) != notifiers_.end()) n->Notify(msg);
  }
}

int CWindowUI::ShowModal() {
  result_ = 0;
  setWindowModality(parentWidget() != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
  show();
  raise();
  activateWindow();
  QEventLoop loop;
  modalLoop_ = &loop;
  QPointer<CWindowUI> self(this);
  const int result = loop.exec(QEventLoop::DialogExec);
  if (self) {
    modalLoop_ = nullptr;
    hide();
  }
  return result;
}

void CWindowUI::Close(int result) {
  result_ = result;
  closing_ = true;
  close();  // goes through closeEvent, where a window may still refuse
  closing_ = false;
}

void CWindowUI::CenterWindow() {
  QRect area;
  if (QWidget* owner = parentWidget(); owner != nullptr && owner->isVisible()) {
    area = owner->window()->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) move(area.center() - rect().center());
}

CWindowUI* CWindowUI::OwnerOf(const QWidget* control) {
  for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
    if (auto* window = dynamic_cast<CWindowUI*>(const_cast<QWidget*>(w))) return window;
  }
  return nullptr;
}

void CWindowUI::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!windowInitSent_) {
    windowInitSent_ = true;
    SendNotify(root_ != nullptr ? root_ : this, notify::kWindowInit);
  }
}

void CWindowUI::closeEvent(QCloseEvent* event) {
  // Closed from outside (title bar, window manager, Alt+F4): the result is 0.
  if (!closing_) result_ = 0;
  QWidget::closeEvent(event);
  if (event->isAccepted() && modalLoop_) modalLoop_->exit(result_);
}

void CWindowUI::mousePressEvent(QMouseEvent* event) {
  // Frameless windows move when dragged by their background.
  if (event->button() == Qt::LeftButton && windowHandle() != nullptr &&
      (windowFlags() & Qt::FramelessWindowHint)) {
    windowHandle()->startSystemMove();
  }
  QWidget::mousePressEvent(event);
}

}  // namespace orlo::ui
