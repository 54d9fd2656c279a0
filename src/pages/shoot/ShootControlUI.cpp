#include "pages/shoot/ShootControlUI.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPointer>
#include <QStackedWidget>
#include <algorithm>
#include <filesystem>

#include "device/mouse/TessaroMouseDevice.h"
#include "pages/common/PageHost.h"
#include "pages/common/QuietControls.h"
#include "pages/common/RouteTable.h"
#include "pages/shoot/ShootPatternViewUI.h"
#include "profile/JsonFile.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/LanguageStore.h"

namespace orlo {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

// A gun file as the page reads it: a JSON object with an "Events" array.
bool IsGunDocument(const Json::Value& doc) { return doc.isObject() && doc["Events"].isArray(); }

bool CopyFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
  return !ec;
}
}  // namespace

CShootControlUI::CShootControlUI(QWidget* parent) : QWidget(parent) {
  ui::CDialogBuilder().CreateInside(kLayoutFile, this);
}

void CShootControlUI::RegisterControl() {
  ui::CControlFactory::GetInstance().RegistControl(kClassName,
                                                   [](QWidget* parent) { return new CShootControlUI(parent); });
  CShootPatternViewUI::RegisterControl();
}

void CShootControlUI::SetFolders(const std::string& userFolder, const std::string& defaultFolder) {
  userFolder_ = userFolder;
  defaultFolder_ = defaultFolder;
  for (std::string* f : {&userFolder_, &defaultFolder_})
    if (!f->empty() && f->back() != '/') *f += '/';
}

std::string CShootControlUI::GunPath(int gun) const { return userFolder_ + shoot::GunFileName(gun); }

shoot::Bullet CShootControlUI::Bullet(int gun, int bullet) const {
  return shoot::ReadBullet(CJsonFile().ReadDocument(GunPath(gun)), bullet);
}

void CShootControlUI::InitPage() {
  auto button = [this](const std::string& name) { return findChild<QAbstractButton*>(Q(name)); };
  found_ = true;
  for (int g = 0; g < shoot::kGunCount; ++g) {
    guns_[g] = button("shoot_gun_op_" + std::to_string(g));
    views_[g] = findChild<CShootPatternViewUI*>(Q("shoot_pattern_view_" + std::to_string(g)));
    found_ = found_ && guns_[g] != nullptr;
  }
  for (int b = 0; b < shoot::kBulletCount; ++b) {
    bullets_[b] = button("bullet_op_" + std::to_string(b));
    found_ = found_ && bullets_[b] != nullptr;
  }
  pictures_ = findChild<QStackedWidget*>(QStringLiteral("shoot_image_display_switch"));
  index_ = findChild<QLabel*>(QStringLiteral("bullet_select_index"));
  xCheck_ = button("bullet_x_check");
  yCheck_ = button("bullet_y_check");
  xEdit_ = findChild<QLineEdit*>(QStringLiteral("bullet_x_eidt"));
  yEdit_ = findChild<QLineEdit*>(QStringLiteral("bullet_y_eidt"));
  delayEdit_ = findChild<QLineEdit*>(QStringLiteral("bullet_delay_eidt"));
  found_ = found_ && pictures_ && index_ && xCheck_ && yCheck_ && xEdit_ && yEdit_ && delayEdit_;
  if (userFolder_.empty()) return;
  for (int g = 0; g < shoot::kGunCount; ++g) {
    const CJsonFile::ReadResult read = CJsonFile().Read(GunPath(g));
    // An unreadable file is left alone (it may come back); a missing or broken one is replaced.
    if (read.status != CJsonFile::ReadStatus::kUnreadable && !IsGunDocument(read.document)) ResetGun(g);
  }
}

void CShootControlUI::SelectGun(int index) {
  currentGun_ = std::clamp(index, 0, shoot::kGunCount - 1);
  for (int g = 0; g < shoot::kGunCount; ++g) SetCheckedQuietly(guns_[g], g == currentGun_);
  if (pictures_) pictures_->setCurrentIndex(currentGun_);
  ShowPattern();
}

void CShootControlUI::SelectBullet(int index) {
  currentBullet_ = std::clamp(index, 0, shoot::kBulletCount - 1);
  for (int b = 0; b < shoot::kBulletCount; ++b) SetCheckedQuietly(bullets_[b], b == currentBullet_);
  if (index_) index_->setText(QString::number(currentBullet_ + 1));
  LoadBullet();
}

void CShootControlUI::LoadBullet() {
  if (!found_ || currentBullet_ < 0) return;
  const shoot::Bullet b = Bullet(currentGun_, currentBullet_);
  xEdit_->setText(QString::number(b.x));
  yEdit_->setText(QString::number(b.y));
  delayEdit_->setText(QString::number(b.delay));
  SetCheckedQuietly(xCheck_, b.left);
  SetCheckedQuietly(yCheck_, b.up);
  UpdateXLabel();
  UpdateYLabel();
  ShowPattern();
}

void CShootControlUI::SaveBullet() {
  if (!found_ || currentBullet_ < 0 || userFolder_.empty()) return;
  shoot::Bullet b;
  b.x = shoot::ParseField(xEdit_->text().toStdString(), shoot::kMaxDistance);
  b.y = shoot::ParseField(yEdit_->text().toStdString(), shoot::kMaxDistance);
  b.delay = shoot::ParseField(delayEdit_->text().toStdString(), shoot::kMaxDelay);
  b.left = xCheck_->isChecked();
  b.up = yCheck_->isChecked();
  CJsonFile file;
  const std::string path = GunPath(currentGun_);
  Json::Value doc;
  // A file that exists but cannot be read is not overwritten with a one-bullet pattern.
  if (file.Read(path).status == CJsonFile::ReadStatus::kUnreadable) return;
  doc = file.ReadDocument(path);
  shoot::WriteBullet(doc, currentBullet_, b);
  file.WriteDocument(path, doc);
  LoadBullet();  // shows the values as stored (clamped, non-numbers as 0)
}

void CShootControlUI::UpdateXLabel() {
  if (xCheck_)
    ui::CLanguageStore::GetInstance().SetControlText(
        xCheck_, xCheck_->isChecked() ? "mouse_move_to_left_text" : "mouse_move_to_right_text", true);
}

void CShootControlUI::UpdateYLabel() {
  if (yCheck_)
    ui::CLanguageStore::GetInstance().SetControlText(
        yCheck_, yCheck_->isChecked() ? "mouse_move_to_up_text" : "mouse_move_to_down_text", true);
}

bool CShootControlUI::ImportGun(const std::string& path) {
  if (path.empty() || userFolder_.empty()) return false;
  if (!IsGunDocument(CJsonFile().ReadDocument(path))) return false;
  const bool copied = CopyFile(path, GunPath(currentGun_));
  SelectBullet(currentBullet_);
  return copied;
}

bool CShootControlUI::ExportGun(const std::string& path) {
  if (path.empty() || userFolder_.empty()) return false;
  return CopyFile(GunPath(currentGun_), path);
}

bool CShootControlUI::ResetGun(int gun) {
  if (gun < 0 || gun >= shoot::kGunCount || userFolder_.empty()) return false;
  const std::string from = defaultFolder_ + shoot::GunFileName(gun);
  bool done = CopyFile(from, GunPath(gun));
  if (!done) {
    // No default pattern: an empty one, so that the file reads as a gun from now on.
    Json::Value empty(Json::objectValue);
    empty["Events"] = Json::Value(Json::arrayValue);
    done = CJsonFile().WriteDocument(GunPath(gun), empty) == 0;
  }
  if (currentBullet_ >= 0) SelectBullet(currentBullet_);
  return done;
}

void CShootControlUI::ShowPattern() {
  CShootPatternViewUI* view = views_[static_cast<size_t>(currentGun_)];
  if (view == nullptr || userFolder_.empty()) return;
  const Json::Value doc = CJsonFile().ReadDocument(GunPath(currentGun_));
  std::vector<shoot::Bullet> pattern;
  for (int b = 0; b < shoot::kBulletCount; ++b) pattern.push_back(shoot::ReadBullet(doc, b));
  view->SetPattern(std::move(pattern), currentBullet_);
}

void CShootControlUI::RegisterRoutes(CRouteTable& routes, std::function<CTessaroMouseDevice*()> mouse,
                                     std::function<IPageHost&()> host) {
  using ui::TNotifyUI;
  namespace n = ui::notify;
  routes.OnPrefix(n::kSelectChanged, "shoot_gun_op_", [this](TNotifyUI& msg, long long i) {
    if (msg.wParam == 0) return;
    SelectGun(static_cast<int>(i));
    SelectBullet(currentBullet_);
  });
  routes.OnPrefix(n::kSelectChanged, "bullet_op_", [this](TNotifyUI& msg, long long i) {
    if (msg.wParam != 0) SelectBullet(static_cast<int>(i));
  });
  routes.OnName(n::kClick, "bullet_selected_prev", [this](TNotifyUI&, long long) { PreviousBullet(); });
  routes.OnName(n::kClick, "bullet_selected_next", [this](TNotifyUI&, long long) { NextBullet(); });
  // A direction is part of the bullet: it is kept at once, like the numbers.
  routes.OnName(n::kSelectChanged, "bullet_x_check", [this](TNotifyUI&, long long) {
    UpdateXLabel();
    SaveBullet();
  });
  routes.OnName(n::kSelectChanged, "bullet_y_check", [this](TNotifyUI&, long long) {
    UpdateYLabel();
    SaveBullet();
  });
  for (const char* edit : {"bullet_x_eidt", "bullet_y_eidt", "bullet_delay_eidt"})
    routes.OnName(n::kKillFocus, edit, [this](TNotifyUI&, long long) { SaveBullet(); });
  routes.OnName(n::kClick, "shootdate_import_btn", [this, host](TNotifyUI&, long long) {
    const std::string path = host().AskOpenPath(kFilter);
    if (!path.empty() && !ImportGun(path)) host().ShowMessage("shoot_import_invalid_text");
  });
  routes.OnName(n::kClick, "shootdate_export_btn", [this, host](TNotifyUI&, long long) {
    const std::string path = host().AskSavePath(kFilter);
    if (!path.empty() && !ExportGun(path)) host().ShowMessage("profile_export_failed_text");
  });
  routes.OnName(n::kClick, "shootdate_reset_btn", [this](TNotifyUI&, long long) { ResetGun(currentGun_); });
  routes.OnName(n::kClick, "shootdate_save_btn", [this, mouse, host](TNotifyUI&, long long) {
    CTessaroMouseDevice* m = mouse();
    if (m == nullptr) return;
    IPageHost* shell = &host();
    QPointer<CShootControlUI> self(this);
    m->Session().Submit([m, shell, self] {
      if (m->WriteShootData() == 1) return;
      QMetaObject::invokeMethod(
          QCoreApplication::instance(), [shell, self] { if (self) shell->ShowMessage("message_text_7"); },
          Qt::QueuedConnection);
    });
  });
}

}  // namespace orlo
