#include "ui/MsgWnd.h"

#include <QKeyEvent>
#include <QString>
#include <QStyle>

#include "ui/DpiManager.h"
#include "ui/LanguageStore.h"

namespace orlo::ui {

CMsgWnd::CMsgWnd(QWidget* owner)
    : CWindowUI(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::Tool) {
  setObjectName(QStringLiteral("msgwnd"));
  setAttribute(Qt::WA_TranslucentBackground, false);
}

void CMsgWnd::InitWindow() { closeButton_ = FindControl("closebtn"); }

bool CMsgWnd::Prepare(const std::string& title, const std::string& text, int dpi, bool textIsKey,
                      int buttons) {
  if (Root() == nullptr && !Create("msgwnd")) return false;
  auto& texts = CLanguageStore::GetInstance();
  if (!title.empty()) texts.SetControlText(FindControl("MessageTitle"), title, false);
  if (!text.empty()) texts.SetControlText(FindControl("MessageText"), text, textIsKey);
  SetDpi(dpi);
  QWidget* confirm = FindControl("confirm_btn");
  QWidget* cancel = FindControl("cancel_btn");
  if (buttons == kConfirmOnly || buttons == kConfirmCancel) {
    if (confirm != nullptr) confirm->setVisible(true);
    if (cancel != nullptr) cancel->setVisible(buttons == kConfirmCancel);
    // A question shows its own icon; the style sheet picks it by this property.
    if (QWidget* icon = FindControl("msg_icon")) {
      icon->setProperty("kind", buttons == kConfirmCancel ? "question" : "notice");
      icon->style()->unpolish(icon);
      icon->style()->polish(icon);
    }
  }
  return true;
}

void CMsgWnd::SetDpi(int dpi) {
  const int checked = CDpiManager::Checked(dpi, "MSG_WND DPI SET ERROR");
  if (checked == dpi_ && checked == CDpiManager::Dpi()) return;
  dpi_ = checked;
  CDpiManager::SetAllDPI(checked);
  CDpiManager::ApplyTo(this);  // not yet a visible top-level window when first prepared
}

void CMsgWnd::Notify(TNotifyUI& msg) {
  if (msg.sType != notify::kClick) return;
  if (msg.pSender != nullptr && msg.pSender == closeButton_) {
    Close(0);
    return;
  }
  const QString name = QString::fromStdString(msg.sSenderName);
  if (name == QLatin1String("minbtn")) {
    showMinimized();
  } else if (name == QLatin1String("maxbtn")) {
    showMaximized();
  } else if (name == QLatin1String("restorebtn")) {
    showNormal();
  } else if (name.compare(QLatin1String("confirm_btn"), Qt::CaseInsensitive) == 0) {
    Close(1);
  } else if (name.compare(QLatin1String("cancel_btn"), Qt::CaseInsensitive) == 0) {
    Close(0);
  }
}

void CMsgWnd::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Close(0);
    return;
  }
  CWindowUI::keyPressEvent(event);
}

int CMsgWnd::ShowMessageBox(QWidget* owner, const std::string& title, const std::string& text,
                            int dpi, bool textIsKey, int buttons) {
  QPointer<CMsgWnd> box = new CMsgWnd(owner);
  if (!box->Prepare(title, text, dpi, textIsKey, buttons)) {
    delete box.data();
    return 0;
  }
  box->adjustSize();
  box->CenterWindow();
  const int result = box->ShowModal();
  // The nested loop has unwound, so the box can go now (a deferred delete could outlive the
  // application). The owner may already have taken it along.
  delete box.data();
  return result;
}

}  // namespace orlo::ui
