#include "app/SkinFrame.h"

#include <algorithm>

#include <QAbstractButton>
#include <QFileDialog>
#include <QIcon>
#include <QGuiApplication>
#include <QScreen>
#include <QStackedWidget>

#include "app/SkinBroadcaster.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyUI.h"
#include "ui/ResourceManager.h"

namespace orlo {

namespace {

std::string ChoosePng(QWidget* parent) {
  const QString file = QFileDialog::getOpenFileName(parent, QString::fromStdString(ui::TextOf("skin_custom_title")),
                                                    QString(), QStringLiteral("PNG (*.png);;* (*)"));
  return file.toStdString();
}
}  // namespace

CSkinFrame::CSkinFrame(QWidget* owner, std::string iniPath)
    : ui::CWindowUI(owner, Qt::Popup | Qt::FramelessWindowHint),
      setting_(std::move(iniPath)),
      chooseFile_(ChoosePng) {
  setObjectName("skinframe");
}

void CSkinFrame::InitWindow() {
  // Each image button shows its image.
  for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
    const QString image = b->property("userdata").toString();
    if (!b->objectName().startsWith("skin_image_btn") || image.isEmpty()) continue;
    b->setIcon(QIcon(QString::fromStdString(ui::CResourceManager::GetInstance().ResolveFile(image.toStdString()))));
  }
  // Each colour button shows its own colour, kept once in its "bkcolor".
  for (QWidget* w : findChildren<QWidget*>()) {
    if (!w->objectName().startsWith("skin_color_btn")) continue;
    const QString colour = w->property("bkcolor").toString();
    w->setStyleSheet(QString("#%1 { background: %2; border: 1px solid #3A3D43; border-radius: 6px; }"
                             "#%1:hover { border-color: #E6E7E9; }")
                         .arg(w->objectName(), colour));
  }
}

bool CSkinFrame::Open(QWidget* anchor) {
  if (Root() == nullptr && !Create("skinframe")) return false;
  adjustSize();
  if (anchor != nullptr) {
    const QPoint corner = anchor->mapToGlobal(QPoint(anchor->width(), anchor->height()));
    QPoint at(corner.x() - width(), corner.y());
    if (QScreen* s = anchor->screen()) {
      const QRect area = s->availableGeometry();
      at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width())));
      at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - height())));
    }
    move(at);
  }
  show();
  raise();
  return true;
}

void CSkinFrame::Notify(ui::TNotifyUI& msg) {
  if (msg.sType != ui::notify::kClick || msg.pSender == nullptr) return;
  const std::string& name = msg.sSenderName;
  CSkinBroadcaster& skins = CSkinBroadcaster::GetInstance();
  if (ui::NameStartsWith(name, "skin_image_btn")) {
    SkinChangedParam p;
    p.image = msg.pSender->property("userdata").toString().toStdString();
    if (p.image.empty()) return;
    skins.Broadcast(p);
    setting_.StoreImage(p.image);
  } else if (ui::NameStartsWith(name, "skin_color_btn")) {
    const QString text = msg.pSender->property("bkcolor").toString().mid(1);
    bool ok = false;
    const uint32_t value = text.toUInt(&ok, 16);
    if (!ok) return;
    SkinChangedParam p;
    p.isColour = true;
    p.colour = text.size() <= 6 ? (0xFF000000u | value) : value;
    skins.Broadcast(p);
  } else if (ui::NameIs(name, "skin_color")) {
    if (auto* tab = FindControl<QStackedWidget>("skin_tab")) tab->setCurrentIndex(1);
  } else if (ui::NameIs(name, "skin_image")) {
    if (auto* tab = FindControl<QStackedWidget>("skin_tab")) tab->setCurrentIndex(0);
  } else if (ui::NameIs(name, "skin_reset")) {
    SkinChangedParam p;
    p.image = CSkinSetting::kDefaultImage;
    skins.Broadcast(p);
    setting_.StoreReset();
  } else if (ui::NameIs(name, "skin_Custom")) {
    const std::string file = chooseFile_ ? chooseFile_(parentWidget()) : std::string();
    if (file.empty()) return;
    SkinChangedParam p;
    p.image = file;
    skins.Broadcast(p);
  }
}

}  // namespace orlo
