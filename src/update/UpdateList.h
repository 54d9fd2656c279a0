#pragma once
// The settings window's update list without its widgets: one row per queried product, the
// window state, the user's choices and the updater's reports. The window owns one, changes it
// on its UI thread only and shows what it holds.
//
// Window states: 0 checking, 1 a newer package exists, 2 the check failed, 3 updating, 4 up to
// date (shown with the last check date).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/link/Catalogue.h"
#include "update/UpdateQuery.h"

namespace orlo::update {

enum WindowState : int {
  kStateChecking = 0,
  kStateHaveUpdate = 1,
  kStateNoUpdateInfo = 2,
  kStateUpdating = 3,
  kStateUpToDate = 4,
};

// What the updater reports about the row it works on (first value of its status message).
enum UpdaterReport : int64_t {
  kUpdaterDone = 1,         // installed: the new version is the current one
  kUpdaterFailed = 2,
  kUpdaterFailedToo = 3,
  kUpdaterProgress = 4,     // second value: percentage
  kUpdaterDownloaded = 5,   // the package waits in its local file for the user to install it
};

struct UpdateListRow {
  UpdateEntry entry;
  size_t tableRow = 0;      // the row's position in the rows the check was given
  std::string name;         // the table's category ("AP" for the application)
  std::string currentText;
  std::string newText;      // shown unless the row is up to date
  std::string package;      // the package's name as the server gave it (the updater's NAME)
  std::string path;         // the package's download URL (the updater's URL)
  std::string localFile;    // where the updater puts it
  int status = kStatusUpToDate;
  int deviceId = 0;
  bool checkEnabled = false;
  bool ticked = false;
  int progress = 0;
  bool failed = false;      // the query for this row got no usable answer
  std::string failure;
};

class CUpdateList {
 public:
  // Lists the rows that have a current version, in table order, each up to date with its
  // current version; state 0. storedDate is the last check date read from the file.
  void BeginCheck(const std::vector<UpdateEntry>& rows, const std::string& storedDate);
  // The query result of list row `index`.
  void ApplyResult(size_t index, const UpdateResult& result);
  // Rows with a newer package become selectable; state 1, else 2 when a query failed, else 4.
  // today becomes the last check date when any query was answered.
  void FinishCheck(const std::string& today);

  // The user ticks or unticks a row; only a selectable row takes it.
  void Tick(size_t index, bool ticked);
  // "Update" confirmed: ticked rows with a newer package wait for the updater (status 3), the
  // others are unticked. Returns the indices of the waiting rows, in list order: the order the
  // updater works through them.
  std::vector<size_t> Confirm();
  // A status message from the updater; it refers to the first row that waits or downloads.
  // False when there is no such row (nothing changes).
  bool OnUpdaterMessage(int64_t report, int64_t value);
  // The window may be closed unless a row waits for, or is in, a download or installation.
  bool CanClose() const;

  const std::vector<UpdateListRow>& Rows() const { return rows_; }
  int State() const { return state_; }
  const std::string& LastCheckDate() const { return lastDate_; }
  // "update_fw_and_ap": enabled when a row is selectable and, after the first tick, while a row
  // is ticked.
  bool UpdateButtonEnabled() const { return updateButton_; }
  bool UpdateRequested() const { return updateRequested_; }
  // The row the updater works on, -1 when none.
  int UpdaterRow() const;

 private:
  void AfterUpdaterRowEnds();

  std::vector<UpdateListRow> rows_;
  int state_ = kStateChecking;
  std::string lastDate_;
  bool updateButton_ = false;
  bool updateRequested_ = false;
};

}  // namespace orlo::update
