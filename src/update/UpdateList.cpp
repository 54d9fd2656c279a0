#include "update/UpdateList.h"

#include <algorithm>

namespace orlo::update {

void CUpdateList::BeginCheck(const std::vector<UpdateEntry>& rows, const std::string& storedDate) {
  rows_.clear();
  for (size_t i = 0; i < rows.size(); ++i) {
    const UpdateEntry& e = rows[i];
    if (e.rowVersion == 0) continue;
    UpdateListRow row;
    row.entry = e;
    row.tableRow = i;
    row.name = e.model == "ALL" ? "AP" : e.category;
    // The installed version as the query reports it, also for the application row: the table's
    // fixed version text would show a version that is not installed.
    row.currentText = CUpdateQuery::CurrentText(e);
    rows_.push_back(std::move(row));
  }
  state_ = kStateChecking;
  lastDate_ = storedDate;
  updateButton_ = false;
  updateRequested_ = false;
}

void CUpdateList::ApplyResult(size_t index, const UpdateResult& result) {
  if (index >= rows_.size()) return;
  UpdateListRow& row = rows_[index];
  row.checkEnabled = false;
  row.ticked = false;
  row.failed = result.failed;
  row.failure = result.failure;
  row.newText.clear();
  row.package.clear();
  row.path.clear();
  row.localFile.clear();
  row.deviceId = 0;
  // A failed query, or an answer that names no package, offers nothing.
  if (result.failed || result.name.empty()) {
    row.status = kStatusUpToDate;
    return;
  }
  row.status = result.status;
  row.currentText = result.currentText;
  if (result.status != kStatusUpToDate) row.newText = result.newText;
  row.package = result.name;
  row.path = result.path;
  row.localFile = result.localFile;
  row.deviceId = result.deviceId;
}

void CUpdateList::FinishCheck(const std::string& today) {
  bool offered = false;
  bool failed = false;
  bool answered = false;
  for (UpdateListRow& row : rows_) {
    if (row.status != kStatusUpToDate && row.status != kStatusNothingNewer) {
      row.checkEnabled = true;
      offered = true;
    }
    (row.failed ? failed : answered) = true;
  }
  updateButton_ = offered;
  // "Up to date" only when every product was asked and answered.
  state_ = offered ? kStateHaveUpdate : failed ? kStateNoUpdateInfo : kStateUpToDate;
  if (answered) lastDate_ = today;
}

void CUpdateList::Tick(size_t index, bool ticked) {
  if (index >= rows_.size() || !rows_[index].checkEnabled) return;
  rows_[index].ticked = ticked;
  updateButton_ = std::any_of(rows_.begin(), rows_.end(), [](const UpdateListRow& r) { return r.ticked; });
}

std::vector<size_t> CUpdateList::Confirm() {
  std::vector<size_t> waiting;
  for (size_t i = 0; i < rows_.size(); ++i) {
    UpdateListRow& row = rows_[i];
    if (row.status != kStatusNeedUpdate && row.status != kStatusNeedUpdateToo) continue;
    if (row.ticked) {
      row.status = kStatusDownloadWait;
      row.progress = 0;
      waiting.push_back(i);
    } else {
      row.ticked = false;
    }
  }
  updateButton_ = false;
  if (!waiting.empty()) {
    updateRequested_ = true;
    state_ = kStateUpdating;
  }
  return waiting;
}

int CUpdateList::UpdaterRow() const {
  for (size_t i = 0; i < rows_.size(); ++i) {
    const int s = rows_[i].status;
    if (s == kStatusDownloadWait || s == kStatusDownloading || s == kStatusUpdating) return static_cast<int>(i);
  }
  return -1;
}

bool CUpdateList::OnUpdaterMessage(int64_t report, int64_t value) {
  const int index = UpdaterRow();
  if (index < 0) return false;
  UpdateListRow& row = rows_[static_cast<size_t>(index)];
  switch (report) {
    case kUpdaterDone:
      row.currentText = row.newText;
      row.newText.clear();
      row.status = kStatusUpToDate;
      row.ticked = false;
      AfterUpdaterRowEnds();
      return true;
    case kUpdaterFailed:
    case kUpdaterFailedToo:
      row.status = kStatusUpdateFailed;
      row.checkEnabled = true;
      AfterUpdaterRowEnds();
      return true;
    case kUpdaterProgress:
      row.status = kStatusDownloading;
      row.progress = static_cast<int>(std::clamp<int64_t>(value, 0, 100));
      return true;
    case kUpdaterDownloaded:
      row.status = kStatusDownloaded;
      row.progress = 100;
      row.ticked = false;
      AfterUpdaterRowEnds();
      return true;
    default:
      return false;
  }
}

// Once no ticked row is left waiting or in progress, every row that is not up to date can be
// chosen again, and the window says whether anything is left to update.
void CUpdateList::AfterUpdaterRowEnds() {
  for (const UpdateListRow& r : rows_) {
    if (r.ticked && r.status < kStatusUpToDate && r.status != kStatusDownloaded) return;
  }
  bool left = false;
  for (UpdateListRow& r : rows_) {
    if (r.status == kStatusUpToDate) continue;
    r.checkEnabled = true;
    left = true;
  }
  state_ = left ? kStateHaveUpdate : kStateUpToDate;
  updateRequested_ = false;
}

bool CUpdateList::CanClose() const {
  return std::all_of(rows_.begin(), rows_.end(), [](const UpdateListRow& r) {
    return r.status == kStatusUpToDate || r.status == kStatusNeedUpdate || r.status == kStatusNeedUpdateToo ||
           r.status == kStatusUpdateFailed || r.status == kStatusDownloaded;
  });
}

}  // namespace orlo::update
