#include "profile/MouseProfiledata.h"

#include "profile/JsonAccess.h"

namespace orlo {

std::array<uint32_t, 4> MouseSystemStages::Pack() const {
  return {uint32_t{doubleClickTime} | uint32_t{mouseSpeed} << 16,
          uint32_t{pointerPrecision} | uint32_t{scrollPage} << 16,
          uint32_t{wheelScrollLines} | uint32_t{reportRate} << 16, uint32_t{reportRate24g}};
}

MouseSystemStages MouseSystemStages::Unpack(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
  MouseSystemStages s;
  s.doubleClickTime = static_cast<uint16_t>(w0);
  s.mouseSpeed = static_cast<uint16_t>(w0 >> 16);
  s.pointerPrecision = static_cast<uint16_t>(w1);
  s.scrollPage = static_cast<uint16_t>(w1 >> 16);
  s.wheelScrollLines = static_cast<uint16_t>(w2);
  s.reportRate = static_cast<uint16_t>(w2 >> 16);
  s.reportRate24g = static_cast<uint16_t>(w3);
  return s;
}

std::vector<DPIStage> CMouseProfiledata::GetDPIStages() {
  Json::Value* s = SectionForRead();
  if (s && !s->isNull() && json::Has(s, "DPIStages")) {
    Json::Value* dpi = json::Find(s, "DPIStages");
    int active = static_cast<int>(json::Int(json::Find(dpi, "StageActive")));
    std::vector<DPIStage> read;
    Json::Value* list = json::Find(dpi, "StageDPIs");
    for (Json::ArrayIndex i = 0; i < json::Size(list); ++i) {
      Json::Value* e = &(*list)[i];
      read.push_back({json::ByteOf(e, "StageActive"), json::ByteOf(e, "StageXY"), json::WordOf(e, "StageDPIX"),
                      json::WordOf(e, "StageDPIY"), json::ByteOf(e, "StageColorR"), json::ByteOf(e, "StageColorG"),
                      json::ByteOf(e, "StageColorB")});
    }
    // Merge: the kept list never shrinks.
    for (size_t j = 0; j < read.size(); ++j) {
      if (j < stages_.size()) stages_[j] = read[j];
      else stages_.push_back(read[j]);
    }
    // The active stage indexes the stage list on the device; a hand-edited value outside it
    // selects the first stage.
    activeStage_ = (active >= 0 && static_cast<size_t>(active) < stages_.size()) ? active : 0;
  }
  return stages_;
}

void CMouseProfiledata::SetDPIStages(const std::vector<DPIStage>& stages) {
  stages_ = stages;
  Json::Value& list = json::Slot(json::Slot(SectionForWrite(), "DPIStages"), "StageDPIs");
  for (size_t i = 0; i < stages.size(); ++i) {
    Json::Value& e = json::SlotAt(list, static_cast<Json::ArrayIndex>(i));
    const DPIStage& d = stages[i];
    json::Slot(e, "StageActive") = d.active;
    json::Slot(e, "StageColorB") = d.blue;
    json::Slot(e, "StageColorG") = d.green;
    json::Slot(e, "StageColorR") = d.red;
    json::Slot(e, "StageXY") = d.xy;
    json::Slot(e, "StageDPIX") = d.dpiX;
    json::Slot(e, "StageDPIY") = d.dpiY;
  }
}

void CMouseProfiledata::SetActiveDPIStage(int index) {
  activeStage_ = index;
  json::Slot(json::Slot(SectionForWrite(), "DPIStages"), "StageActive") = index;
}

std::array<uint32_t, 4> CMouseProfiledata::GetSystemStages() {
  MouseSystemStages r;
  Json::Value* s = SectionForRead();
  if (s && !s->isNull() && json::Has(s, "SystemStages")) {
    Json::Value* sys = json::Find(s, "SystemStages");
    r.doubleClickTime = json::WordOf(sys, "DoubleClickTime");
    r.mouseSpeed = json::WordOf(sys, "MouseSpeed");
    r.pointerPrecision = json::WordOf(sys, "PointerPrecision");
    r.scrollPage = json::WordOf(sys, "ScorllPage");
    r.wheelScrollLines = json::WordOf(sys, "WheelScorlllinse");
    if (json::Has(s, "ReportStages")) r.reportRate = json::WordOf(json::Find(s, "ReportStages"), "StageActive");
    if (json::Has(s, "ReportStages24g"))
      r.reportRate24g = json::WordOf(json::Find(s, "ReportStages24g"), "StageActive24g");
  }
  systemStages_ = r;
  return r.Pack();
}

void CMouseProfiledata::SetSystemStages(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
  systemStages_ = MouseSystemStages::Unpack(w0, w1, w2, w3);
  const MouseSystemStages& r = systemStages_;
  Json::Value& s = SectionForWrite();
  Json::Value& sys = json::Slot(s, "SystemStages");
  json::Slot(sys, "DoubleClickTime") = r.doubleClickTime;
  json::Slot(sys, "MouseSpeed") = r.mouseSpeed;
  json::Slot(sys, "PointerPrecision") = r.pointerPrecision;
  json::Slot(sys, "ScorllPage") = r.scrollPage;
  json::Slot(sys, "WheelScorlllinse") = r.wheelScrollLines;
  json::Slot(json::Slot(s, "ReportStages"), "StageActive") = r.reportRate;
  json::Slot(json::Slot(s, "ReportStages24g"), "StageActive24g") = r.reportRate24g;
}

std::vector<CorrectEntry> CMouseProfiledata::GetCorrectInfo() {
  std::vector<CorrectEntry> list;
  Json::Value* s = SectionForRead();
  if (json::Has(s, "CorrectInfo")) {
    Json::Value* entries = json::Find(s, "CorrectInfo");
    for (Json::ArrayIndex i = 0; i < json::Size(entries); ++i) {
      Json::Value* e = &(*entries)[i];
      list.push_back({json::ByteOf(e, "CorrectPixThresh"), json::ByteOf(e, "CorrectMinSq"),
                      json::ByteOf(e, "CorrectSelect"), json::String(json::Find(e, "CorrectName"))});
    }
  }
  correctInfo_ = list;
  return list;
}

}  // namespace orlo
