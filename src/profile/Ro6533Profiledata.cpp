#include "profile/Ro6533Profiledata.h"

#include <algorithm>
#include <array>

#include "platform/audio/ChipProperties.h"
#include "profile/JsonAccess.h"
#include "profile/TextConvert.h"

namespace orlo {
namespace {

static_assert(CRo6533Profiledata::kBandCount == audio::kEqBandCount);

constexpr const char* kStages = "SystemSetStages";
constexpr const char* kEqRows = "EQHzValueInfo";
constexpr const char* kCustomNames = "CustomEQNameInfo";
constexpr const char* kCustomRows = "CustomEQHzValueInfo";

int32_t Limit(int64_t v, int32_t lo, int32_t hi) { return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi)); }
int32_t Flag(int64_t v) { return v != 0 ? 1 : 0; }
int32_t InRangeOr(int64_t v, int32_t lo, int32_t hi, int32_t otherwise) {
  return v >= lo && v <= hi ? static_cast<int32_t>(v) : otherwise;
}
int32_t Band(int64_t v) { return Limit(v, audio::kEqBandMin, audio::kEqBandMax); }

HeadsetSystemSetStages InRange(const HeadsetSystemSetStages& s) {
  using P = CRo6533Profiledata;
  HeadsetSystemSetStages r;
  r.magicEnable = Flag(s.magicEnable);
  r.magicType = InRangeOr(s.magicType, 1, P::kVoiceChangerTypes, 0);
  r.eqType = InRangeOr(s.eqType, 0, P::kMaxEqType, 0);
  r.customEqSelectIndex = InRangeOr(s.customEqSelectIndex, -1, P::kMaxCustomEq - 1, -1);
  r.micInSelect = Flag(s.micInSelect);
  r.micInValue = Limit(s.micInValue, 0, P::kMaxLevel);
  r.micMonitorSelect = Flag(s.micMonitorSelect);
  r.micMonitorValue = Limit(s.micMonitorValue, 0, P::kMaxLevel);
  return r;
}

// A valid UTF-8 copy (bad sequences become U+FFFD).
std::string CleanUtf8(const std::string& s) { return WideToUtf8(Utf8ToWide(s)); }

}  // namespace

HeadsetSystemSetStages CRo6533Profiledata::GetSystemSetStages() {
  HeadsetSystemSetStages r;
  Json::Value* s = SectionForRead();
  if (json::Has(s, kStages)) {
    Json::Value* st = json::Find(s, kStages);
    // Read in 64 bits and limited afterwards, so that a huge stored number cannot wrap into range.
    auto get = [st](const char* key) { return json::Int(json::Find(st, key)); };
    auto limit32 = [](int64_t v) { return Limit(v, INT32_MIN, INT32_MAX); };
    r.magicEnable = limit32(get("MagicEnable"));
    r.magicType = limit32(get("MagicType"));
    r.eqType = limit32(get("EqType"));
    r.customEqSelectIndex = limit32(get("CustomEqSeletIndex"));
    r.micInSelect = limit32(get("MicInSelect"));
    r.micInValue = limit32(get("MicInValue"));
    r.micMonitorSelect = limit32(get("MicMoniterSelect"));
    r.micMonitorValue = limit32(get("MicMoniterValue"));
    r = InRange(r);
    // The selection indexes the stored names and their band lists.
    const auto names = static_cast<int64_t>(std::min<Json::ArrayIndex>(json::Size(json::Peek(s, kCustomNames)),
                                                                       kMaxCustomEq));
    if (r.customEqSelectIndex >= names) r.customEqSelectIndex = -1;
  }
  stages_ = r;
  return r;
}

void CRo6533Profiledata::SetSystemSetStages(const HeadsetSystemSetStages& stages) {
  stages_ = InRange(stages);
  const HeadsetSystemSetStages& r = stages_;
  Json::Value& st = json::Slot(SectionForWrite(), kStages);
  json::Slot(st, "MagicEnable") = r.magicEnable;
  json::Slot(st, "MagicType") = r.magicType;
  json::Slot(st, "EqType") = r.eqType;
  json::Slot(st, "CustomEqSeletIndex") = r.customEqSelectIndex;
  json::Slot(st, "MicInSelect") = r.micInSelect;
  json::Slot(st, "MicInValue") = r.micInValue;
  json::Slot(st, "MicMoniterSelect") = r.micMonitorSelect;
  json::Slot(st, "MicMoniterValue") = r.micMonitorValue;
}

int CRo6533Profiledata::EqRow(int type) {
  if (type == kCustomEqType) return -1;
  return type >= 1 && type <= 12 ? type : 1;
}

std::vector<int32_t> CRo6533Profiledata::ReadBands(Json::Value* row) {
  std::vector<int32_t> bands(kBandCount, 0);
  // A row of another type (hand-edited) reads as zeros and is left alone.
  if (!row || !(row->isNull() || row->isArray())) return bands;
  if (row->isNull()) {
    for (int i = 0; i < kBandCount; ++i) (*row)[static_cast<Json::ArrayIndex>(i)]["value"] = 0;
    return bands;
  }
  for (int i = 0; i < kBandCount; ++i)
    bands[static_cast<size_t>(i)] = Band(json::Int(json::Find(json::At(row, static_cast<Json::ArrayIndex>(i)), "value")));
  return bands;
}

std::vector<int32_t> CRo6533Profiledata::GetEQValues(int type) {
  const int row = EqRow(type);
  if (row < 0) return {};
  bands_ = ReadBands(json::At(json::Find(SectionForRead(), kEqRows), static_cast<Json::ArrayIndex>(row)));
  return bands_;
}

namespace {

void WriteBands(Json::Value& row, const std::vector<int32_t>& bands) {
  const size_t n = std::min<size_t>(bands.size(), CRo6533Profiledata::kBandCount);
  for (size_t i = 0; i < n; ++i) json::Slot(json::SlotAt(row, static_cast<Json::ArrayIndex>(i)), "value") = Band(bands[i]);
}

bool SlotInRange(int slot) { return slot >= 0 && slot < CRo6533Profiledata::kMaxCustomEq; }

}  // namespace

void CRo6533Profiledata::SetEQValues(int type, const std::vector<int32_t>& bands) {
  const int row = EqRow(type);
  if (row < 0) return;
  WriteBands(json::SlotAt(json::Slot(SectionForWrite(), kEqRows), static_cast<Json::ArrayIndex>(row)), bands);
}

std::vector<int32_t> CRo6533Profiledata::GetCustomEQValues(int slot) {
  if (!SlotInRange(slot)) {
    bands_.assign(kBandCount, 0);
    return bands_;
  }
  bands_ = ReadBands(json::At(json::Find(SectionForRead(), kCustomRows), static_cast<Json::ArrayIndex>(slot)));
  return bands_;
}

void CRo6533Profiledata::SetCustomEQValues(int slot, const std::vector<int32_t>& bands) {
  if (!SlotInRange(slot)) return;
  WriteBands(json::SlotAt(json::Slot(SectionForWrite(), kCustomRows), static_cast<Json::ArrayIndex>(slot)), bands);
}

std::vector<std::string> CRo6533Profiledata::GetCustomEQNames() {
  std::vector<std::string> names;
  Json::Value* s = SectionForRead();
  if (!json::Has(s, kCustomNames)) return names;
  Json::Value* list = json::Find(s, kCustomNames);
  const Json::ArrayIndex n = std::min<Json::ArrayIndex>(json::Size(list), kMaxCustomEq);
  for (Json::ArrayIndex i = 0; i < n; ++i) names.push_back(CleanUtf8(json::String(json::Find(&(*list)[i], "Name"))));
  return names;
}

void CRo6533Profiledata::SetCustomEQNames(const std::vector<std::string>& names) {
  Json::Value list(Json::arrayValue);
  const size_t n = std::min<size_t>(names.size(), kMaxCustomEq);
  for (size_t i = 0; i < n; ++i) {
    Json::Value e(Json::objectValue);
    e["Name"] = CleanUtf8(names[i]);
    list.append(e);
  }
  SectionForWrite()[kCustomNames] = list;
}

Json::Value CRo6533Profiledata::LoadDefaultSectionKeepingCustomEq() {
  std::array<Json::Value, 2> kept;
  const std::array<const char*, 2> keys = {kCustomNames, kCustomRows};
  for (size_t i = 0; i < keys.size(); ++i)
    if (const Json::Value* v = json::Peek(&section_, keys[i])) kept[i] = *v;
  LoadSection(defaultPath_);
  for (size_t i = 0; i < keys.size(); ++i)
    if (!kept[i].isNull()) SectionForWrite()[keys[i]] = kept[i];
  return section_;
}

}  // namespace orlo
