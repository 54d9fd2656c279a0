#include "update/UpdateCheck.h"

#include "base/StopEvent.h"

namespace orlo::update {

CUpdateCheck::CUpdateCheck(const CUpdateQuery& query, const CUpdateTimeFile& timeFile)
    : query_(query), timeFile_(timeFile) {}

size_t CUpdateCheck::Run(const std::vector<UpdateEntry>& entries,
                         const std::function<void(size_t, const UpdateResult&)>& report, const CStopEvent* stop) const {
  size_t made = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (stop && stop->IsSet()) break;
    const UpdateResult result = query_.Query(entries[i]);
    ++made;
    // The date says when the server last answered, so a failed query leaves it alone.
    if (!result.failed) timeFile_.Store(CUpdateTimeFile::Today());
    report(i, result);
  }
  return made;
}

void CUpdateCheck::RunInto(CUpdateList& list, const std::vector<UpdateEntry>& rows, const CStopEvent* stop) const {
  list.BeginCheck(rows, timeFile_.Stored());
  const std::vector<UpdateEntry> entries = Entries(list);
  const size_t made = Run(entries, [&list](size_t i, const UpdateResult& r) { list.ApplyResult(i, r); }, stop);
  // Rows left unasked were not answered either.
  UpdateResult unasked;
  unasked.failed = true;
  unasked.failure = "cancelled";
  for (size_t i = made; i < entries.size(); ++i) list.ApplyResult(i, unasked);
  list.FinishCheck(CUpdateTimeFile::Today());
}

std::vector<UpdateEntry> CUpdateCheck::Entries(const CUpdateList& list) {
  std::vector<UpdateEntry> entries;
  for (const UpdateListRow& row : list.Rows()) entries.push_back(row.entry);
  return entries;
}

}  // namespace orlo::update
