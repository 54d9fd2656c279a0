#pragma once
// The check pass: one version query per listed row, in list order, the last check date stored
// after every answered query. Run() is what the settings window's check thread does (it hands
// each result to the UI thread); RunInto() does the whole pass on the calling thread.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "update/UpdateList.h"
#include "update/UpdateQuery.h"
#include "update/UpdateTimeFile.h"

namespace orlo {
class CStopEvent;
}

namespace orlo::update {

class CUpdateCheck {
 public:
  CUpdateCheck(const CUpdateQuery& query, const CUpdateTimeFile& timeFile);

  // Queries entries[i] and reports (i, result) for each in turn. Stops before the next query
  // once stop is set. Returns the number of queries made.
  size_t Run(const std::vector<UpdateEntry>& entries, const std::function<void(size_t, const UpdateResult&)>& report,
             const CStopEvent* stop = nullptr) const;

  // The whole pass into list: rows listed from `rows`, queried, and the final state set.
  void RunInto(CUpdateList& list, const std::vector<UpdateEntry>& rows, const CStopEvent* stop = nullptr) const;

  // The entries of the list's rows, in list order: what Run() takes.
  static std::vector<UpdateEntry> Entries(const CUpdateList& list);

 private:
  const CUpdateQuery& query_;
  const CUpdateTimeFile& timeFile_;
};

}  // namespace orlo::update
