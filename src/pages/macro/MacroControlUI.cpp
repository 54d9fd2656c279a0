#include "pages/macro/MacroControlUI.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "device/model/MacroDevice.h"
#include "device/model/TessaroUSBDevice.h"
#include "macro/MacroFile.h"
#include "macro/capture/EvdevInputCapture.h"
#include "pages/common/DevicePageUI.h"
#include "pages/macro/WindowInputCapture.h"
#include "profile/BasicProfiledata.h"
#include "profile/JsonAccess.h"
#include "profile/JsonFile.h"
#include "ui/ControlFactory.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyBridge.h"

namespace orlo {
namespace {

constexpr int kRowHeight = 30;
constexpr int kDelayEditHeight = 25;
constexpr int kListRowHeight = 30;
constexpr const char* kMacroFilter = "Macro Files(*.mac)";

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string JsonText(const Json::Value& v) {
  Json::StreamWriterBuilder b;
  b["indentation"] = "";
  return Json::writeString(b, v);
}

Json::Value ParseText(const QString& text) {
  Json::Value v;
  if (!CJsonFile::ParseDocument(text.toStdString(), v)) return Json::Value();
  return v;
}

QPushButton* Button(QWidget* parent, const char* name, const char* textId) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QLatin1String(name));
  b->setProperty(ui::kTextIdProperty, QLatin1String(textId));
  b->setCursor(Qt::PointingHandCursor);
  return b;
}

QLabel* Label(QWidget* parent, const char* name, const char* textId, const char* role = nullptr) {
  auto* l = new QLabel(parent);
  l->setObjectName(QLatin1String(name));
  l->setProperty(ui::kTextIdProperty, QLatin1String(textId));
  if (role != nullptr) l->setProperty("role", QLatin1String(role));
  return l;
}

QHBoxLayout* Row(QBoxLayout* into) {
  auto* h = new QHBoxLayout;
  h->setSpacing(6);
  h->setContentsMargins(0, 0, 0, 0);
  into->addLayout(h);
  return h;
}

// The name shown for an event: the key's, the button's or the move's text; a key whose text the
// language lacks shows the key's own name ("keyboard_key_F5" as "F5"). An element this version
// cannot play is shown as such (and kept).
std::string EventName(const Json::Value& element) {
  const auto event = MacroEventFromJson(element);
  if (!event) return ui::TextOf("macro_event_unknown");
  const std::string id = MacroEventNameId(*event);
  if (id.empty()) return {};
  std::string text = ui::TextOf(id);
  static const std::string kKeyPrefix = "keyboard_key_";
  if (text == id && id.rfind(kKeyPrefix, 0) == 0) text = id.substr(kKeyPrefix.size());
  return text;
}

struct ButtonCommand {
  const char* name;
  int button;
};
constexpr ButtonCommand kButtonCommands[] = {
    {"left", 1}, {"right", 2}, {"middle", 4}, {"forward", 16}, {"back", 8},
};

}  // namespace

void CMacroControlUI::RegisterControl() {
  ui::CControlFactory::GetInstance().RegistControl(kClassName, [](QWidget* parent) -> QWidget* {
    return new CMacroControlUI(parent);
  });
}

CMacroControlUI::CMacroControlUI(QWidget* parent) : QWidget(parent), recorder_(*this) {
  Build();
  ownWindowSource_ = std::make_unique<CWindowInputCapture>(this);
  windowSource_ = ownWindowSource_.get();
  if (CEvdevInputCapture::Available()) {
    // The reader thread hands each event to this page's thread.
    ownSystemSource_ = std::make_unique<CEvdevInputCapture>([this](std::function<void()> task) {
      QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
    });
    SetSystemSource(ownSystemSource_.get());
  }
  deviceWatch_ = new QTimer(this);
  deviceWatch_->setObjectName(QStringLiteral("macro_device_watch"));
  deviceWatch_->setInterval(kDeviceWatchMs);
  connect(deviceWatch_, &QTimer::timeout, this, [this] {
    if (device_ == nullptr || !device_->link().IsOpen()) StopRecording();
  });
  UpdateEnabledState();
}

CMacroControlUI::~CMacroControlUI() {
  // The window goes with the page: only the capture needs ending.
  hook_.Stop();
}

// ---- layout --------------------------------------------------------------------------------------

void CMacroControlUI::Build() {
  setObjectName(QStringLiteral("macro_page"));
  auto* box = new QHBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(12);

  nameTab_ = new QFrame(this);
  nameTab_->setObjectName(QStringLiteral("macro_name_tab"));
  nameTab_->setProperty("role", QStringLiteral("card"));
  nameTab_->setMinimumWidth(220);
  nameTab_->setMaximumWidth(240);
  auto* left = new QVBoxLayout(nameTab_);
  left->setContentsMargins(12, 12, 12, 12);
  left->setSpacing(8);
  left->addWidget(Label(nameTab_, "macro_list_title", "macro_list_title", "heading"));
  names_ = new QListWidget(nameTab_);
  names_->setObjectName(QStringLiteral("macro_name_list"));
  left->addWidget(names_, 1);
  auto* add = Row(left);
  add->addWidget(Button(nameTab_, "macro_btn_name_add", "macro_new_text"));
  add->addWidget(Button(nameTab_, "macro_btn_name_sub", "macro_delete_text"));
  auto* rename = Row(left);
  nameEdit_ = new QLineEdit(nameTab_);
  nameEdit_->setObjectName(QStringLiteral("macro_edit_macroname"));
  nameEdit_->setMaxLength(32);
  rename->addWidget(nameEdit_, 1);
  rename->addWidget(Button(nameTab_, "macro_btn_name_edit", "macro_rename_text"));
  auto* files = Row(left);
  files->addWidget(Button(nameTab_, "macro_btn_import", "macro_import_text"));
  files->addWidget(Button(nameTab_, "macro_btn_export", "macro_export_text"));
  box->addWidget(nameTab_);

  auto* right = new QFrame(this);
  right->setObjectName(QStringLiteral("macro_event_card"));
  right->setProperty("role", QStringLiteral("card"));
  auto* column = new QVBoxLayout(right);
  column->setContentsMargins(12, 12, 12, 12);
  column->setSpacing(8);
  actionLayout_ = new QWidget(right);
  actionLayout_->setObjectName(QStringLiteral("macro_action_layout"));
  auto* events = new QVBoxLayout(actionLayout_);
  events->setContentsMargins(0, 0, 0, 0);
  events->setSpacing(8);
  auto* heads = Row(events);
  heads->addWidget(Label(actionLayout_, "macro_events_title", "macro_events_title", "heading"), 1);
  heads->addWidget(Label(actionLayout_, "macro_delay_head", "macro_delay_head", "colhead"));
  rows_ = new QListWidget(actionLayout_);
  rows_->setObjectName(QStringLiteral("macro_action_list"));
  rows_->setSelectionMode(QAbstractItemView::SingleSelection);
  events->addWidget(rows_, 1);
  auto* order = Row(events);
  for (auto [name, text] : {std::pair{"macro_btn_uptop", "macro_top_text"}, {"macro_btn_up", "macro_up_text"},
                            {"macro_btn_down", "macro_down_text"}, {"macro_btn_downbottom", "macro_bottom_text"},
                            {"macro_btn_delete", "macro_row_delete_text"},
                            {"macro_btn_deleteall", "macro_row_clear_text"}})
    order->addWidget(Button(actionLayout_, name, text));
  auto* record = Row(events);
  start_ = Button(actionLayout_, "macro_btn_starredio", "macro_record_text");
  stop_ = Button(actionLayout_, "macro_btn_stopredio", "macro_stop_text");
  stop_->hide();
  record->addWidget(start_);
  record->addWidget(stop_);
  constantCheck_ = new QCheckBox(actionLayout_);
  constantCheck_->setObjectName(QStringLiteral("macro_check_time"));
  constantCheck_->setProperty(ui::kTextIdProperty, QStringLiteral("macro_constant_text"));
  record->addWidget(constantCheck_);
  constantEdit_ = new QLineEdit(actionLayout_);
  constantEdit_->setObjectName(QStringLiteral("macro_fixed_time_edit"));
  constantEdit_->setMaxLength(6);
  constantEdit_->setMaximumWidth(70);
  constantEdit_->setValidator(new QIntValidator(0, 999999, constantEdit_));
  constantEdit_->setText(QString::number(recorder_.ConstantDelay()));
  record->addWidget(constantEdit_);
  record->addWidget(Label(actionLayout_, "macro_ms_label", "macro_ms_text"));
  systemCheck_ = new QCheckBox(actionLayout_);
  systemCheck_->setObjectName(QStringLiteral("macro_check_systemwide"));
  systemCheck_->setProperty(ui::kTextIdProperty, QStringLiteral("macro_systemwide_text"));
  systemCheck_->hide();  // shown when a system-wide source is offered
  record->addWidget(systemCheck_);
  record->addStretch(1);
  column->addWidget(actionLayout_, 1);

  moveLayout_ = new QWidget(right);
  moveLayout_->setObjectName(QStringLiteral("mouse_move_layout"));
  auto* moves = new QGridLayout(moveLayout_);
  moves->setContentsMargins(0, 0, 0, 0);
  moves->setHorizontalSpacing(6);
  moves->setVerticalSpacing(6);
  int cell = 0;
  for (auto [edit, button, text] :
       {std::tuple{"mouse_x_left_edit", "macro_inset_moveleftkey_btn", "macro_move_left_text"},
        {"mouse_x_right_edit", "macro_inset_moverightkey_btn", "macro_move_right_text"},
        {"mouse_y_up_edit", "macro_inset_moveupkey_btn", "macro_move_up_text"},
        {"mouse_y_down_edit", "macro_inset_movedownkey_btn", "macro_move_down_text"}}) {
    auto* e = new QLineEdit(moveLayout_);
    e->setObjectName(QLatin1String(edit));
    e->setMaxLength(3);
    e->setMaximumWidth(44);
    e->setValidator(new QIntValidator(0, 255, e));
    e->setText(QStringLiteral("10"));
    moves->addWidget(e, cell / 2, (cell % 2) * 2);
    moves->addWidget(Button(moveLayout_, button, text), cell / 2, (cell % 2) * 2 + 1);
    ++cell;
  }
  moves->setColumnStretch(1, 1);
  moves->setColumnStretch(3, 1);
  column->addWidget(moveLayout_);

  auto* bottom = Row(column);
  bottom->addWidget(Button(right, "macro_btn_save", "macro_save_text"));
  bottom->addWidget(Button(right, "macro_btn_cancel", "macro_cancel_text"));
  bottom->addWidget(Button(right, "macro_btn_download", "macro_download_text"));
  bottom->addStretch(1);
  status_ = new QLabel(right);
  status_->setObjectName(QStringLiteral("macro_status"));
  status_->setProperty("role", QStringLiteral("hint"));
  status_->setWordWrap(true);
  column->addWidget(status_);
  box->addWidget(right, 1);

  ui::CLanguageStore::GetInstance().ApplyTexts(this);
}

void CMacroControlUI::UpdateEnabledState() {
  const bool selected = SelectedMacro() >= 0;
  actionLayout_->setEnabled(selected);
  moveLayout_->setEnabled(selected && !locked_);
  for (const char* name : {"macro_btn_export", "macro_btn_name_sub", "macro_btn_name_edit", "macro_btn_save",
                           "macro_btn_cancel"})
    if (auto* b = findChild<QWidget*>(QLatin1String(name))) b->setEnabled(selected);
  for (const char* name : {"macro_btn_starredio", "macro_btn_uptop", "macro_btn_up", "macro_btn_down",
                           "macro_btn_downbottom", "macro_btn_delete", "macro_btn_deleteall", "macro_btn_save"})
    if (auto* b = findChild<QWidget*>(QLatin1String(name))) b->setEnabled(selected && !locked_);
  if (auto* b = findChild<QWidget*>(QStringLiteral("macro_btn_download"))) b->setEnabled(MacroDevice() != nullptr);
  if (auto* b = findChild<QWidget*>(QStringLiteral("macro_btn_name_add")))
    b->setEnabled(device_ != nullptr && names_->count() < kMacroMaxCount);
  if (auto* b = findChild<QWidget*>(QStringLiteral("macro_btn_import"))) b->setEnabled(device_ != nullptr);
}

void CMacroControlUI::ShowRecordingLook(bool recording) {
  nameTab_->setAttribute(Qt::WA_TransparentForMouseEvents, recording);
  rows_->setAttribute(Qt::WA_TransparentForMouseEvents, recording);
  start_->setVisible(!recording);
  stop_->setVisible(recording);
  for (const char* name : {"macro_btn_save", "macro_btn_cancel", "macro_btn_download", "macro_btn_import",
                           "macro_btn_name_add", "macro_btn_name_sub", "macro_btn_name_edit"})
    if (auto* b = findChild<QWidget*>(QLatin1String(name))) b->setEnabled(!recording);
  constantEdit_->setEnabled(!recording);
  systemCheck_->setEnabled(!recording);
  status_->setText(recording ? Q(ui::TextOf("macro_recording_text")) : QString());
  if (!recording) UpdateEnabledState();
}

void CMacroControlUI::SetSelectionEnabled(bool enabled) {
  // While recording, another device or profile must not be chosen under the recording.
  QWidget* top = window();
  if (top == nullptr || top == this) return;
  if (auto* tabs = top->findChild<QWidget*>(QStringLiteral("device_select_layout"))) tabs->setEnabled(enabled);
  // The page's profile control refuses every profile command meanwhile.
  for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget())
    if (auto* page = dynamic_cast<CDevicePageUI*>(w)) {
      page->SetRecordingLock(!enabled);
      break;
    }
}

// ---- device and sources ---------------------------------------------------------------------------

void CMacroControlUI::SetDevice(CTessaroUSBDevice* device) {
  if (device != device_) StopRecording();
  device_ = device;
  catalogue_.SetFolder(device_ != nullptr && MacroDevice() != nullptr ? device_->DeviceFolder() : std::string());
  LoadCatalogue();
}

IMacroDevice* CMacroControlUI::MacroDevice() const { return dynamic_cast<IMacroDevice*>(device_); }

void CMacroControlUI::SetWindowSource(IInputCapture* source) {
  StopRecording();
  windowSource_ = source != nullptr ? source : ownWindowSource_.get();
}

void CMacroControlUI::SetSystemSource(IInputCapture* source) {
  StopRecording();
  systemSource_ = source;
  systemCheck_->setVisible(source != nullptr);
  if (source == nullptr) systemCheck_->setChecked(false);
}

IInputCapture* CMacroControlUI::ActiveSource() const {
  if (systemSource_ != nullptr && systemCheck_->isChecked()) return systemSource_;
  return windowSource_;
}

// ---- catalogue --------------------------------------------------------------------------------------

void CMacroControlUI::LoadCatalogue() {
  {
    ui::CNotifyBridge::Mute mute(names_);
    names_->clear();
    for (const MacroEntry& e : catalogue_.LoadCatalogue()) {
      auto* item = new QListWidgetItem(Q(e.name), names_);
      item->setData(Qt::UserRole, Q(e.guid));
      item->setSizeHint(QSize(0, kListRowHeight));
    }
  }
  ShowMacro();
}

int CMacroControlUI::SelectedMacro() const { return names_->currentRow(); }

void CMacroControlUI::SelectMacro(int index) {
  {
    ui::CNotifyBridge::Mute mute(names_);
    names_->setCurrentRow(index);
  }
  ShowMacro();
}

std::vector<std::string> CMacroControlUI::MacroNames() const {
  std::vector<std::string> names;
  for (int i = 0; i < names_->count(); ++i) names.push_back(names_->item(i)->text().toStdString());
  return names;
}

void CMacroControlUI::ShowMacro() {
  {
    ui::CNotifyBridge::Mute mute(rows_);
    rows_->clear();
  }
  locked_ = false;
  status_->clear();
  const int m = SelectedMacro();
  const auto entries = catalogue_.LoadCatalogue();
  if (m >= 0 && m < static_cast<int>(entries.size()) && !entries[static_cast<size_t>(m)].guid.empty()) {
    const std::string path = catalogue_.MacroPath(entries[static_cast<size_t>(m)]);
    const CMacroFile file = path.empty() ? CMacroFile() : CMacroFile::Read(path);
    if (file.tooLong) {
      // Shown in part and saved, the rest would be gone: the macro is left as it is.
      locked_ = true;
      status_->setText(Q(ui::TextOf("macro_too_long_text")));
    }
    for (const Json::Value& element : file.elements) InsertRow(RowCount(), element);
  }
  UpdateEnabledState();
}

void CMacroControlUI::NewMacro() {
  if (device_ == nullptr) return;
  const std::string name = catalogue_.NewMacro();
  if (!name.empty()) ShowAddedMacro();
}

void CMacroControlUI::ShowAddedMacro() {
  LoadCatalogue();
  SelectMacro(names_->count() - 1);
  // The device counts its macros again (a key may now name the new one).
  device_->Session().Submit([d = device_] { d->LoadCatalogues(); });
}

void CMacroControlUI::RenameMacro(IPageHost& host) {
  const int m = SelectedMacro();
  if (m < 0) return;
  switch (catalogue_.RenameMacro(m, nameEdit_->text().toStdString())) {
    case CMacroCatalogue::kRenameDone:
      names_->item(m)->setText(Q(catalogue_.Names()[static_cast<size_t>(m)]));
      nameEdit_->clear();
      // Keys assigned to the macro show its new name.
      if (device_ != nullptr)
        if (IDeviceObserver* o = device_->Observer()) o->OnKeyAssignmentsChanged();
      break;
    case CMacroCatalogue::kRenameNameUsed:
      host.ShowMessage("message_text_5");
      break;
    case CMacroCatalogue::kRenameEmpty:
      break;
    case CMacroCatalogue::kRenameNoMacro:
      host.ShowMessage("macro_write_failed");
      break;
  }
}

void CMacroControlUI::DeleteMacro(IPageHost& host) {
  const int m = SelectedMacro();
  IMacroDevice* md = MacroDevice();
  if (m < 0 || md == nullptr) return;
  if (!host.Confirm("message_text_4")) return;
  if (RefersToMacro(md->CopyKeyList(), m) && !host.Confirm("message_text_2")) return;
  // The other profiles of the device are renumbered on disk; the active one is the driver's.
  MacroPurgeTargets others;
  others.defaultPath = device_->DefaultDocumentPath();
  const std::string active = device_->ActiveProfileId();
  for (const auto& entry : device_->ProfileList().ReadEntries())
    if (entry.uuid != active)
      if (std::string path = device_->ProfileList().DocumentPath(entry.uuid); !path.empty())
        others.documents.push_back(path);
  // The catalogue is written first; the profiles follow only once the numbers have shifted.
  if (!catalogue_.DeleteMacro(m, others)) {
    host.ShowMessage("macro_write_failed");
    return;
  }
  std::vector<KeyAssign> list = md->CopyKeyList();
  const bool changed = PurgeDeletedMacro(list, m);
  if (changed) md->StoreKeyList(list);
  LoadCatalogue();
  if (names_->count() > 0) SelectMacro(0);
  device_->Session().Submit([d = device_, changed] {
    d->LoadCatalogues();
    if (changed) d->RewriteKeyAssignments(0);
  });
}

bool CMacroControlUI::SaveMacro() {
  const int m = SelectedMacro();
  if (m < 0 || locked_) return false;
  std::vector<Json::Value> elements;
  for (int i = 0; i < RowCount(); ++i) {
    QListWidgetItem* item = rows_->item(i);
    const QVariant data = item->data(Qt::UserRole);
    if (!data.isValid()) break;  // a row without an event ends the list
    Json::Value event = ParseText(data.toString());
    if (auto* edit = RowWidget(i) ? RowWidget(i)->findChild<QLineEdit*>(QStringLiteral("macro_delay")) : nullptr) {
      const QString delay = Q(NormalizeMacroDelayText(edit->text().trimmed().toStdString()));
      if (edit->text() != delay) edit->setText(delay);
      if (event.isObject()) event["Delay"] = delay.toStdString();
    }
    item->setData(Qt::UserRole, Q(JsonText(event)));
    elements.push_back(event);
  }
  const bool saved = catalogue_.SaveMacroElements(m, elements);
  status_->setText(saved ? QString() : Q(ui::TextOf("macro_write_failed")));
  return saved;
}

void CMacroControlUI::ImportMacro(IPageHost& host) {
  if (device_ == nullptr) return;
  const std::string path = host.ChooseFile(false, kMacroFilter);
  if (path.empty()) return;
  if (CMacroFile::Read(path).tooLong) {
    host.ShowMessage("macro_too_long_text");
    return;
  }
  if (catalogue_.ImportMacro(path).empty()) {
    host.ShowMessage("macro_import_failed");
    return;
  }
  ShowAddedMacro();
}

void CMacroControlUI::ExportMacro(IPageHost& host) {
  const int m = SelectedMacro();
  if (m < 0) return;
  std::string path = host.ChooseFile(true, kMacroFilter);
  if (path.empty()) return;
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".mac") != 0) path += ".mac";
  if (!catalogue_.ExportMacro(m, path)) host.ShowMessage("macro_write_failed");
}

void CMacroControlUI::Download(IPageHost& host) {
  if (MacroDevice() == nullptr) return;
  // What is written is what the macro files hold: every edit of the rows is saved as it is made.
  QPointer<CMacroControlUI> self(this);
  IPageHost* answer = &host;
  CTessaroUSBDevice* device = device_;
  device_->Session().Submit([self, device, answer] {
    const CTessaroUSBDevice::KeyDownload r = device->DownloadKeyAssignments();
    QMetaObject::invokeMethod(
        self.data(),
        [self, answer, r] {
          if (!self) return;
          if (r.macros > 0) {
            answer->ShowText(ui::FormatTextWithNumber(ui::TextOf("message_text_16"), r.macros));
          } else if (r.macros < 0 || r.keys != 1) {
            answer->ShowMessage("message_text_7");
          } else {
            self->status_->setText(Q(ui::TextOf("macro_downloaded_text")));
          }
        },
        Qt::QueuedConnection);
  });
}

// ---- rows ----------------------------------------------------------------------------------------------

int CMacroControlUI::RowCount() const { return rows_->count(); }

int CMacroControlUI::SelectedRow() const { return rows_->currentRow(); }

void CMacroControlUI::SelectRow(int row) {
  ui::CNotifyBridge::Mute mute(rows_);
  rows_->setCurrentRow(row);
}

QWidget* CMacroControlUI::RowWidget(int row) const {
  QListWidgetItem* item = rows_->item(row);
  return item != nullptr ? rows_->itemWidget(item) : nullptr;
}

Json::Value CMacroControlUI::RowEvent(int row) const {
  QListWidgetItem* item = rows_->item(row);
  return item != nullptr ? ParseText(item->data(Qt::UserRole).toString()) : Json::Value();
}

int CMacroControlUI::RowDelay(int row) const {
  QWidget* w = RowWidget(row);
  auto* edit = w != nullptr ? w->findChild<QLineEdit*>(QStringLiteral("macro_delay")) : nullptr;
  return edit != nullptr ? ParseMacroDelayText(edit->text().toStdString()) : 0;
}

std::string CMacroControlUI::RowName(int row) const {
  QWidget* w = RowWidget(row);
  auto* label = w != nullptr ? w->findChild<QLabel*>(QStringLiteral("macro_action_name")) : nullptr;
  return label != nullptr ? label->text().toStdString() : std::string();
}

void CMacroControlUI::FillRow(QWidget* row, const Json::Value& event) {
  auto* name = row->findChild<QLabel*>(QStringLiteral("macro_action_name"));
  auto* action = row->findChild<QLabel*>(QStringLiteral("macro_action_state"));
  auto* delay = row->findChild<QLineEdit*>(QStringLiteral("macro_delay"));
  const auto playable = MacroEventFromJson(event);
  const int type = playable ? playable->type : 0;
  name->setText(Q(EventName(event)));
  name->setProperty("look", type == kMacroKey || type == kMacroModifier ? "keyboard" : "mouse");
  if (type == kMacroMoveX || type == kMacroMoveY) {
    action->setText(QString::number(playable->button));
    action->setProperty("look", "text");
  } else if (playable) {
    action->setText(Q(ui::TextOf(playable->down ? "macro_action_down" : "macro_action_up")));
    action->setProperty("look", playable->down ? "down" : "up");
  } else {
    action->clear();
  }
  const Json::Value* d = event.isObject() ? json::Peek(&event, "Delay") : nullptr;
  delay->setText(QString::number(d != nullptr ? ParseMacroDelay(*d) : 0));
}

void CMacroControlUI::InsertRow(int at, const Json::Value& event) {
  auto* item = new QListWidgetItem;
  item->setData(Qt::UserRole, Q(JsonText(event)));
  item->setSizeHint(QSize(0, kRowHeight));
  {
    ui::CNotifyBridge::Mute mute(rows_);
    rows_->insertItem(std::clamp(at, 0, RowCount()), item);
  }
  auto* row = new QWidget;
  row->setObjectName(QStringLiteral("macro_action"));
  row->setFixedHeight(kRowHeight);
  auto* h = new QHBoxLayout(row);
  h->setContentsMargins(3, 0, 6, 0);
  h->setSpacing(8);
  auto* name = new QLabel(row);
  name->setObjectName(QStringLiteral("macro_action_name"));
  auto* action = new QLabel(row);
  action->setObjectName(QStringLiteral("macro_action_state"));
  action->setMinimumWidth(70);
  auto* delay = new QLineEdit(row);
  delay->setObjectName(QStringLiteral("macro_delay"));
  delay->setFixedSize(70, kDelayEditHeight);
  delay->setMaxLength(6);
  delay->setValidator(new QIntValidator(0, kMacroMaxDelay, delay));
  delay->setStyleSheet(QStringLiteral("background-color: #444444;"));
  h->addWidget(name, 1, Qt::AlignVCenter);
  h->addWidget(action, 0, Qt::AlignVCenter);
  h->addWidget(delay, 0, Qt::AlignVCenter);
  FillRow(row, event);
  rows_->setItemWidget(item, row);
}

void CMacroControlUI::SetRowEvent(int row, const Json::Value& event) {
  QListWidgetItem* item = rows_->item(row);
  if (item == nullptr) return;
  item->setData(Qt::UserRole, Q(JsonText(event)));
  if (QWidget* w = RowWidget(row)) FillRow(w, event);
}

void CMacroControlUI::SetRowDelay(int row, int delay) {
  QWidget* w = RowWidget(row);
  if (auto* edit = w != nullptr ? w->findChild<QLineEdit*>(QStringLiteral("macro_delay")) : nullptr)
    edit->setText(QString::number(delay));
}

void CMacroControlUI::ScrollToSelection() {
  // The list lays out the new rows first; the scroll follows on the next turn of the loop.
  QTimer::singleShot(0, this, [this] {
    if (QListWidgetItem* item = rows_->currentItem()) rows_->scrollToItem(item);
  });
}

void CMacroControlUI::MoveRow(Move move) {
  const int s = SelectedRow();
  const int n = RowCount();
  if (s < 0) return;
  int target = s;
  switch (move) {
    case Move::kUp: target = s > 0 ? s - 1 : s; break;
    case Move::kDown: target = s < n - 1 ? s + 1 : s; break;
    case Move::kTop: target = 0; break;
    case Move::kBottom: target = n - 1; break;
  }
  if (target == s) return;
  Json::Value event = RowEvent(s);
  // A delay typed but not yet saved moves with its row.
  if (event.isObject()) event["Delay"] = std::to_string(RowDelay(s));
  {
    ui::CNotifyBridge::Mute mute(rows_);
    delete rows_->takeItem(s);
  }
  InsertRow(target, event);
  SelectRow(target);
}

void CMacroControlUI::DeleteRow() {
  const int s = SelectedRow();
  if (s < 0) return;
  {
    ui::CNotifyBridge::Mute mute(rows_);
    delete rows_->takeItem(s);
  }
  SelectRow(std::min(s, RowCount() - 1));
}

void CMacroControlUI::DeleteAllRows() {
  ui::CNotifyBridge::Mute mute(rows_);
  rows_->clear();
}

bool CMacroControlUI::RunButtonCommand(const std::string& command) {
  for (const ButtonCommand& c : kButtonCommands) {
    const std::string base = c.name;
    if (command == base + "_down") return recorder_.InsertAfterSelection(kMacroMouseButton, c.button, true);
    if (command == base + "_up") return recorder_.InsertAfterSelection(kMacroMouseButton, c.button, false);
    if (command == base + "_click")
      return recorder_.InsertAfterSelection(kMacroMouseButton, c.button, true) &&
             recorder_.InsertAfterSelection(kMacroMouseButton, c.button, false);
  }
  return false;
}

void CMacroControlUI::InsertMove(int variant) {
  static constexpr const char* kEdits[] = {"mouse_x_left_edit", "mouse_x_right_edit", "mouse_y_up_edit",
                                           "mouse_y_down_edit"};
  if (variant < 0 || variant > 3 || SelectedMacro() < 0 || locked_) return;
  auto* edit = findChild<QLineEdit*>(QLatin1String(kEdits[variant]));
  const int distance = edit != nullptr ? std::clamp(edit->text().toInt(), 0, 255) : 0;
  ReadConstantDelay();
  recorder_.InsertAfterSelection(variant < 2 ? kMacroMoveX : kMacroMoveY, distance, variant % 2 == 0);
  SaveMacro();
}

// ---- recording ----------------------------------------------------------------------------------------

int CMacroControlUI::ReadConstantDelay() {
  bool ok = false;
  const long long typed = constantEdit_->text().trimmed().toLongLong(&ok);
  const int stored = recorder_.SetConstantDelay(ok ? typed : 0);
  if (constantEdit_->text() != QString::number(stored)) {
    constantEdit_->setText(QString::number(stored));
    constantEdit_->setCursorPosition(constantEdit_->text().size());
  }
  return stored;
}

void CMacroControlUI::StartRecording(int captureMode, int delayMode) {
  if (IsRecording() || SelectedMacro() < 0 || locked_ || device_ == nullptr) return;
  if ((captureMode == kCaptureBefore || captureMode == kCaptureAfter || captureMode == kCaptureReplace) &&
      SelectedRow() < 0)
    return;
  IInputCapture* source = ActiveSource();
  if (source == nullptr) return;
  if (delayMode == kDelayConstant) ReadConstantDelay();
  recorder_.Begin(captureMode, delayMode, source->NowMs());
  if (!hook_.Install(captureMode, *source, *this)) {
    recorder_.End();
    status_->setText(Q(ui::TextOf("macro_capture_failed")));
    return;
  }
  ShowRecordingLook(true);
  SetSelectionEnabled(false);
  deviceWatch_->start();
  watchedWindow_ = window();
  watchedWindow_->installEventFilter(this);
}

void CMacroControlUI::StopRecording() {
  if (!IsRecording()) return;
  recorder_.End();
  hook_.Stop();
  deviceWatch_->stop();
  if (watchedWindow_) watchedWindow_->removeEventFilter(this);
  watchedWindow_ = nullptr;
  ShowRecordingLook(false);
  SetSelectionEnabled(true);
  SaveMacro();
}

void CMacroControlUI::OnCapturedInput(const CapturedInput& input) {
  if (!IsRecording()) return;
  if (stop_->isVisible()) {
    const QPoint at = stop_->mapToGlobal(QPoint(0, 0));
    recorder_.SetIgnoredArea({at.x(), at.y(), stop_->width(), stop_->height()});
  }
  recorder_.Take(input);
}

void CMacroControlUI::OnCaptureLost() { StopRecording(); }

bool CMacroControlUI::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watchedWindow_ && event->type() == QEvent::WindowDeactivate) StopRecording();
  return QWidget::eventFilter(watched, event);
}

void CMacroControlUI::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  StopRecording();  // the page was left
}

void CMacroControlUI::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Another program or orloctl may have changed the catalogue meanwhile.
  const int selected = SelectedMacro();
  LoadCatalogue();
  if (selected >= 0 && selected < names_->count()) SelectMacro(selected);
}

}  // namespace orlo
