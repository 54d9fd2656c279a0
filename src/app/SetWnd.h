#pragma once
// The settings window: the interface language and the update page. The language choice goes to
// the main window as message 3089, which switches the language of every open window. The update
// page asks the update server about each product on a check thread and shows the rows, the
// user's choices and what the updater reports.
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/QtUiDispatcher.h"
#include "base/StopEvent.h"
#include "ui/WindowUI.h"
#include "update/HttpClient.h"
#include "update/UpdateList.h"

namespace orlo {

class CUpdateRowUI;

struct SetWndOptions {
  // The update rows with their current versions; runs on the check thread.
  std::function<std::vector<UpdateEntry>()> rows;
  // The HTTP client of one check; the stop event is raised when the window closes. Null: the
  // system's client.
  std::function<std::unique_ptr<update::HttpClient>(const CStopEvent* stop)> makeClient;
  std::string serverBase;      // empty: the configured one
  std::string downloadFolder;  // empty: the configured one
  std::string timeFilePath;    // empty: the user data folder's "updatetime.config"
  std::string languageConfigPath;  // empty: the program's DefaultData/Language.config
  // A private message to the main window (3089 language, 3094 up to date).
  std::function<void(uint32_t message, int64_t wParam, int64_t lParam)> toMain;
  // Starts the updater on the rows waiting for it, in the order it should work through them.
  // Null: the orlo-updater program next to this one.
  std::function<bool(const std::vector<update::UpdateListRow>& rows)> startUpdater;
  // Start with the session: the configuration folder the autostart entry goes below (empty:
  // the user's) and the program it starts (empty: this one).
  std::string autostartConfigHome;
  std::string autostartProgram;
};

class CSetWnd : public ui::CWindowUI {
  Q_OBJECT
 public:
  enum Page { kLanguagePage = 0, kUpdatePage = 1 };

  CSetWnd(QWidget* owner, SetWndOptions options);
  ~CSetWnd() override;

  std::string GetWindowClassName() const override { return "SetWnd"; }
  std::string GetSkinFile() const override { return "SetWnd"; }
  void InitWindow() override;
  void Notify(ui::TNotifyUI& msg) override;

  // Before the window is shown: the language in use (its position in Language.config).
  void SetLanguageIndex(int index);
  int LanguageIndex() const { return languageIndex_; }
  // The language was switched (message 3089 from the main window): texts follow it.
  void OnLanguageChanged(int index);
  void ShowPage(int page);
  // Runs the update check on the check thread unless one runs already. No-op in builds without
  // the update check.
  void StartCheck();
  // A status message of the updater (forwarded by the main window).
  void OnUpdaterMessage(int64_t report, int64_t value);

  const update::CUpdateList& List() const { return list_; }
  std::vector<CUpdateRowUI*> RowWidgets() const { return rowWidgets_; }
  bool Checking() const { return checking_; }

 Q_SIGNALS:
  // The check pass ended; the window shows `state`.
  void CheckFinished(int state);
  // The update list changed (a result, a choice, an updater report).
  void ListChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FillLanguages();
  // The "start with the session" box shows whether the entry is there; a click writes or
  // removes it (the box goes back when that fails).
  void ShowAutostart();
  void ToggleAutostart();
  void StopCheck();
  void ShowList();
  void ShowState(int state);
  void OnRowTicked(size_t index, bool ticked);
  void OnConfirm();

  SetWndOptions options_;
  CQtUiDispatcher handoff_;
  update::CUpdateList list_;
  std::vector<CUpdateRowUI*> rowWidgets_;
  CStopEvent stop_;
  std::thread check_;
  bool checking_ = false;
  int languageIndex_ = -1;
  int shownState_ = -1;
};

}  // namespace orlo
