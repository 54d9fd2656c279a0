#include "app/SetWnd.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QProcess>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <json/json.h>

#include "app/AutostartEntry.h"
#include "app/UpdateRowUI.h"
#include "platform/DebugLog.h"
#include "platform/Paths.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyUI.h"
#include "update/CurlHttpClient.h"
#include "update/UpdateCheck.h"
#include "update/UpdateQuery.h"
#include "update/UpdateRows.h"
#include "update/UpdateSettings.h"
#include "update/UpdateTimeFile.h"

namespace orlo {

namespace {
constexpr uint32_t kMsgLanguage = 3089;
constexpr uint32_t kMsgUpToDate = 3094;

const char* StateTextId(int state) {
  switch (state) {
    case update::kStateChecking: return "GetUpdateInfoText";
    case update::kStateHaveUpdate: return "HaveUpdateInfoText";
    case update::kStateNoUpdateInfo: return "NoUpdateInfoText";
    case update::kStateUpdating: return "ISUpdateINGText";
    default: return "UpdateIsLastText";
  }
}

bool StartUpdaterProgram(const std::vector<update::UpdateListRow>& rows) {
  QStringList args;
  const std::string ca = update::CaFile();
  if (!ca.empty()) args << "--ca" << QString::fromStdString(ca);
  for (const update::UpdateListRow& row : rows) {
    args << QString::fromStdString(row.package.empty() ? row.name : row.package)
         << QString::fromStdString(row.path);
  }
  const QString program = QCoreApplication::applicationDirPath() + "/orlo-updater";
  return QProcess::startDetached(program, args);
}
}  // namespace

CSetWnd::CSetWnd(QWidget* owner, SetWndOptions options)
    : ui::CWindowUI(owner, Qt::Window | Qt::FramelessWindowHint),
      options_(std::move(options)),
      handoff_(this) {
  setObjectName("setwnd");
}

CSetWnd::~CSetWnd() { StopCheck(); }

void CSetWnd::InitWindow() {
  FillLanguages();
  ShowAutostart();
  ShowPage(kLanguagePage);
  // Nothing is shown about updates until the first check starts.
  if (QWidget* ring = FindControl("update_status_ring")) ring->hide();
  if (QWidget* image = FindControl("update_status_image")) image->hide();
}

void CSetWnd::FillLanguages() {
  auto* combo = FindControl<QComboBox>("Language_combox_info");
  if (combo == nullptr) return;
  const QSignalBlocker quiet(combo);
  combo->clear();
  std::string path = options_.languageConfigPath;
  if (path.empty()) path = paths::ProgramFolder() + "DefaultData/Language.config";
  QFile file(QString::fromStdString(path));
  Json::Value doc;
  if (file.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = file.readAll();
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    if (!reader->parse(bytes.constData(), bytes.constData() + bytes.size(), &doc, &errors)) doc = Json::Value();
  }
  const Json::Value& list = doc.isObject() ? doc["Language"] : Json::Value::nullSingleton();
  if (list.isArray()) {
    for (const Json::Value& entry : list) {
      std::string text;
      if (entry.isObject()) {
        // The language's own name for itself, as the user looks for it.
        if (entry["Language_text"].isString()) text = entry["Language_text"].asString();
        else if (entry["Language_name"].isString()) text = entry["Language_name"].asString();
      }
      combo->addItem(QString::fromStdString(text));
    }
  }
  combo->setCurrentIndex(languageIndex_ < combo->count() ? languageIndex_ : -1);
}

void CSetWnd::ShowAutostart() {
  if (auto* box = FindControl<QCheckBox>("set_autostart_check")) {
    const QSignalBlocker quiet(box);
    box->setChecked(CAutostartEntry(options_.autostartConfigHome).Enabled());
  }
}

void CSetWnd::ToggleAutostart() {
  auto* box = FindControl<QCheckBox>("set_autostart_check");
  if (!box) return;
  CAutostartEntry entry(options_.autostartConfigHome);
  const std::string program = options_.autostartProgram.empty()
                                  ? QCoreApplication::applicationFilePath().toStdString()
                                  : options_.autostartProgram;
  const bool done = box->isChecked() ? entry.Enable(program) : entry.Disable();
  if (!done) DebugPrintf("the autostart entry %s could not be changed", entry.Path().c_str());
  ShowAutostart();
}

void CSetWnd::SetLanguageIndex(int index) {
  languageIndex_ = index;
  if (auto* combo = FindControl<QComboBox>("Language_combox_info")) {
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
  }
}

void CSetWnd::OnLanguageChanged(int index) {
  SetLanguageIndex(index);
  // The texts with a key follow by themselves; these are put together here.
  if (shownState_ >= 0) {
    const int state = shownState_;
    shownState_ = -1;
    ShowState(state);
  }
  ShowList();
}

void CSetWnd::ShowPage(int page) {
  if (auto* tabs = FindControl<QStackedWidget>("set_tab_layout")) tabs->setCurrentIndex(page);
  if (auto* b = FindControl<QPushButton>(page == kUpdatePage ? "set_update_tab" : "set_lang_tab")) {
    const QSignalBlocker quiet(b);
    b->setChecked(true);
  }
}

void CSetWnd::Notify(ui::TNotifyUI& msg) {
  const std::string& name = msg.sSenderName;
  if (msg.sType == ui::notify::kItemSelect && ui::NameIs(name, "Language_combox_info")) {
    const int index = static_cast<int>(msg.wParam);
    if (index < 0 || index == languageIndex_) return;
    languageIndex_ = index;
    if (options_.toMain) options_.toMain(kMsgLanguage, index, 0);
    return;
  }
  if (msg.sType != ui::notify::kClick) return;
  if (ui::NameIs(name, "closebtn") || ui::NameIs(name, "laterbtn")) {
    close();
  } else if (ui::NameIs(name, "set_autostart_check")) {
    ToggleAutostart();
  } else if (ui::NameIs(name, "set_lang_tab")) {
    ShowPage(kLanguagePage);
  } else if (ui::NameIs(name, "set_update_tab")) {
    ShowPage(kUpdatePage);
    if (!checking_ && list_.Rows().empty()) StartCheck();
  } else if (ui::NameIs(name, "update_fw_and_ap")) {
    if (auto* stack = FindControl<QStackedWidget>("get_update_tab_layout")) stack->setCurrentIndex(1);
  } else if (ui::NameIs(name, "update_OK_btn")) {
    OnConfirm();
  }
}

void CSetWnd::StartCheck() {
  if (checking_) return;
  if (!update::UpdateCheckBuilt()) {
    DebugLine("update check: not in this build");
    return;
  }
  StopCheck();
  stop_.Reset();
  checking_ = true;
  const update::CUpdateTimeFile timeFile =
      options_.timeFilePath.empty() ? update::CUpdateTimeFile() : update::CUpdateTimeFile(options_.timeFilePath);
  std::string stored = timeFile.Stored();
  if (stored.empty()) {
    stored = update::CUpdateTimeFile::Today();
    timeFile.Store(stored);
  }
  list_.BeginCheck({}, stored);
  ShowList();
  ShowState(update::kStateChecking);
  const std::string base = update::ServerBase(options_.serverBase);
  const std::string folder = options_.downloadFolder.empty() ? update::DownloadFolder() : options_.downloadFolder;
  check_ = std::thread([this, timeFile, stored, base, folder] {
    std::vector<UpdateEntry> rows = options_.rows
                                                ? options_.rows()
                                                : update::MakeUpdateRows({}, update::ApplicationVersion());
    handoff_.Post([this, rows, stored] {
      list_.BeginCheck(rows, stored);
      ShowList();
    });
    update::CUpdateList listed;
    listed.BeginCheck(rows, stored);
    const std::vector<UpdateEntry> entries = update::CUpdateCheck::Entries(listed);
    std::unique_ptr<update::HttpClient> client;
    if (options_.makeClient) {
      client = options_.makeClient(&stop_);
    } else {
      update::CurlClientOptions curl;
      curl.caFile = update::CaFile();
      curl.userAgent = update::UserAgent();
      curl.stop = &stop_;
      client = std::make_unique<update::CCurlHttpClient>(curl);
    }
    const update::CUpdateQuery query(*client, base, folder);
    const update::CUpdateCheck check(query, timeFile);
    check.Run(
        entries,
        [this](size_t index, const update::UpdateResult& result) {
          handoff_.Post([this, index, result] {
            list_.ApplyResult(index, result);
            ShowList();
          });
        },
        &stop_);
    if (stop_.IsSet()) return;
    handoff_.Post([this] {
      list_.FinishCheck(update::CUpdateTimeFile::Today());
      checking_ = false;
      ShowList();
      ShowState(list_.State());
      emit CheckFinished(list_.State());
    });
  });
}

void CSetWnd::StopCheck() {
  stop_.Set();
  if (check_.joinable()) check_.join();
  checking_ = false;
}

void CSetWnd::ShowList() {
  QWidget* holder = FindControl("device_update_list_info");
  if (holder == nullptr || holder->layout() == nullptr) return;
  const auto& rows = list_.Rows();
  while (rowWidgets_.size() > rows.size()) {
    delete rowWidgets_.back();
    rowWidgets_.pop_back();
  }
  while (rowWidgets_.size() < rows.size()) {
    auto* row = new CUpdateRowUI(holder);
    const size_t index = rowWidgets_.size();
    connect(row->Check(), &QCheckBox::toggled, this, [this, index](bool on) { OnRowTicked(index, on); });
    holder->layout()->addWidget(row);
    rowWidgets_.push_back(row);
  }
  for (size_t i = 0; i < rows.size(); ++i) rowWidgets_[i]->Show(rows[i]);
  if (QWidget* button = FindControl("update_fw_and_ap")) button->setEnabled(list_.UpdateButtonEnabled());
  emit ListChanged();
}

void CSetWnd::ShowState(int state) {
  if (state == shownState_) return;
  shownState_ = state;
  if (QWidget* ring = FindControl("update_status_ring")) ring->setVisible(state == update::kStateChecking);
  if (QWidget* image = FindControl("update_status_image")) {
    image->setVisible(state != update::kStateChecking);
    image->setProperty("state", state);
    image->style()->unpolish(image);
    image->style()->polish(image);
  }
  if (auto* text = FindControl<QLabel>("Update_Status_text")) {
    std::string shown = ui::TextOf(StateTextId(state));
    if (state == update::kStateUpToDate) shown += " " + list_.LastCheckDate();
    // Put together from a text and a date: not re-applied from a key.
    ui::CLanguageStore::GetInstance().SetControlText(text, shown, false);
  }
  if (state == update::kStateUpToDate && options_.toMain) options_.toMain(kMsgUpToDate, 0, 0);
}

void CSetWnd::OnRowTicked(size_t index, bool ticked) {
  list_.Tick(index, ticked);
  ShowList();
}

void CSetWnd::OnConfirm() {
  const std::vector<size_t> waiting = list_.Confirm();
  if (auto* stack = FindControl<QStackedWidget>("get_update_tab_layout")) stack->setCurrentIndex(0);
  ShowList();
  if (waiting.empty()) return;
  std::vector<update::UpdateListRow> rows;
  for (size_t i : waiting) rows.push_back(list_.Rows()[i]);
  const bool started = options_.startUpdater ? options_.startUpdater(rows) : StartUpdaterProgram(rows);
  if (!started) {
    DebugLine("updater: could not be started");
    // Nobody will report on the waiting rows: they fail now, so the window can close.
    for (size_t n = 0; n < waiting.size(); ++n) list_.OnUpdaterMessage(update::kUpdaterFailed, 0);
    ShowList();
  }
}

void CSetWnd::OnUpdaterMessage(int64_t report, int64_t value) {
  if (!list_.OnUpdaterMessage(report, value)) return;
  ShowList();
  ShowState(list_.State());
}

void CSetWnd::closeEvent(QCloseEvent* event) {
  // A row that waits for, or is in, a download or an installation keeps the window open, so
  // that the updater's reports find it.
  if (!list_.CanClose()) {
    event->ignore();
    return;
  }
  StopCheck();
  ui::CWindowUI::closeEvent(event);
}

}  // namespace orlo
