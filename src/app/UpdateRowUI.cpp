#include "app/UpdateRowUI.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

#include "ui/LanguageStore.h"

namespace orlo {

namespace {
QLabel* NewLabel(QWidget* parent, const char* name, int width) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  if (width > 0) label->setFixedWidth(width);
  return label;
}
}  // namespace

CUpdateRowUI::CUpdateRowUI(QWidget* parent) : QWidget(parent) {
  setObjectName("device_update_list_item");
  setFixedHeight(50);
  setAttribute(Qt::WA_StyledBackground, true);
  setStyleSheet("#device_update_list_item { background: #2E3035; border-radius: 6px; }"
                "#check_name_select { color: #E6E7E9; }"
                "#check_name_select:disabled { color: #666666; }"
                "#OldRev, #update_progress_value { color: #9A9EA6; }"
                "#updateRev { color: #2FB5A8; }"
                "#update_status_text { color: #C9CCD1; }"
                "#update_status_ok { color: #2FB5A8; }");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(12, 0, 12, 0);
  layout->setSpacing(10);
  check_ = new QCheckBox(this);
  check_->setObjectName("check_name_select");
  check_->setMinimumWidth(130);
  oldRev_ = NewLabel(this, "OldRev", 70);
  newRev_ = NewLabel(this, "updateRev", 70);
  status_ = NewLabel(this, "update_status_text", 0);
  progress_ = NewLabel(this, "update_progress_value", 44);
  ok_ = NewLabel(this, "update_status_ok", 20);
  ok_->setText(QStringLiteral("✓"));
  layout->addWidget(check_);
  layout->addWidget(oldRev_);
  layout->addWidget(newRev_);
  layout->addWidget(status_, 1);
  layout->addWidget(progress_);
  layout->addWidget(ok_);
}

const char* CUpdateRowUI::StatusTextId(int status) {
  switch (status) {
    case update::kStatusNothingNewer: return "LessUpdateText";
    case update::kStatusNeedUpdate:
    case update::kStatusNeedUpdateToo: return "NeedUpdateText";
    case update::kStatusDownloadWait: return "DownloadWaitText";
    case update::kStatusDownloading: return "DownloadIngText";
    case update::kStatusDownloaded: return "DownloadOkText";
    case update::kStatusUpdating: return "UpdateIngText";
    case update::kStatusUpdateFailed: return "UpdateFailText";
    default: return "UpdateOkText";
  }
}

void CUpdateRowUI::Show(const update::UpdateListRow& row) {
  const QSignalBlocker quiet(check_);
  check_->setText(QString::fromStdString(row.name));
  check_->setChecked(row.ticked);
  check_->setEnabled(row.checkEnabled);
  oldRev_->setText(QString::fromStdString(row.currentText));
  newRev_->setText(QString::fromStdString(row.newText));
  newRev_->setVisible(!row.newText.empty());
  ui::CLanguageStore::GetInstance().SetControlText(status_, StatusTextId(row.status), true);
  const bool inProgress = row.status == update::kStatusDownloading || row.status == update::kStatusUpdating;
  progress_->setText(QString("%1%").arg(row.progress));
  progress_->setVisible(inProgress);
  ok_->setVisible(row.status == update::kStatusDownloaded);
}

}  // namespace orlo
