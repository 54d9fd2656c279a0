// Arbitrary text as a profile list ("ProfileList.ini"), in memory: shaping, reading the entries,
// repairing the ids and the selection, and writing the list again.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "profile/FileId.h"
#include "profile/NameRules.h"
#include "profile/ProfileList.h"

using orlo::CProfileList;
using orlo::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Json::Value list = CProfileList::ShapeList(orlo::fuzz::ParseInput(data, size));
  Check(list.isObject() && list["profilelist"].isArray());
  const Json::ArrayIndex count = list["profilelist"].size();
  Check(CProfileList::EntriesOf(list).size() == count);

  int made = 0;
  auto repairs = CProfileList::RepairIds(list, [&] { return "new_" + std::to_string(made++); });
  Check(repairs.size() == static_cast<size_t>(made) && repairs.size() <= count);
  Check(list["profilelist"].size() == count);
  // Every id is now a file name inside the folder, and no two entries share one.
  std::set<std::string> ids;
  for (const auto& e : CProfileList::EntriesOf(list)) {
    Check(orlo::IsSafeFileId(e.uuid));
    Check(ids.insert(e.uuid).second);
    (void)orlo::SameNameIgnoringCase(orlo::TrimBlanks(e.name), e.name);
  }
  for (const auto& r : repairs) {
    Check(r.index < count);
    Check(CProfileList::EntriesOf(list)[r.index].uuid == r.newId);
  }
  // A repaired list needs no more repair.
  Check(CProfileList::RepairIds(list, [] { return std::string("never"); }).empty());

  const int selected = CProfileList::StoredSelection(list);
  Check(selected >= 0 && (count == 0 ? selected == 0 : selected < static_cast<int>(count)));

  orlo::fuzz::CheckWrittenTextSettles(list);
  return 0;
}
