#include "profile/KeyboardProfiledata.h"

#include <algorithm>

#include "profile/JsonAccess.h"

namespace orlo {
namespace {

Json::Value ColourObject(const LightColor& c) {
  Json::Value o(Json::objectValue);
  o["Red"] = c.red;
  o["Green"] = c.green;
  o["Blue"] = c.blue;
  o["Alpha"] = c.alpha;
  return o;
}

bool GroupInRange(int group) { return group >= 0 && group < CKeyboardProfiledata::kCustomGroupCount; }

}  // namespace

std::array<uint32_t, 3> KeyboardSystemStages::Pack() const {
  return {uint32_t{repeat} | uint32_t{repeatDelay} << 16, uint32_t{key6Flag} | uint32_t{pollingRate} << 16,
          uint32_t{wFlag} | uint32_t{winFlag} << 16};
}

KeyboardSystemStages KeyboardSystemStages::Unpack(uint32_t w0, uint32_t w1, uint32_t w2) {
  KeyboardSystemStages s;
  s.repeat = static_cast<uint16_t>(w0);
  s.repeatDelay = static_cast<uint16_t>(w0 >> 16);
  s.key6Flag = static_cast<uint16_t>(w1);
  s.pollingRate = static_cast<uint16_t>(w1 >> 16);
  s.wFlag = static_cast<uint16_t>(w2);
  s.winFlag = static_cast<uint16_t>(w2 >> 16);
  return s;
}

std::array<uint32_t, 3> CKeyboardProfiledata::GetSystemStages() {
  KeyboardSystemStages r;
  Json::Value* s = SectionForRead();
  if (json::Has(s, "SystemStages")) {
    Json::Value* sys = json::Find(s, "SystemStages");
    r.repeat = json::WordOf(sys, "Repeat");
    r.repeatDelay = json::WordOf(sys, "RepeatDelay");
    r.key6Flag = json::WordOf(sys, "Key6Flag");
    r.pollingRate = json::WordOf(sys, "PollingRate");
    r.wFlag = json::WordOf(sys, "WFlag");
    r.winFlag = json::WordOf(sys, "WinFlag");
  }
  systemStages_ = r;
  return r.Pack();
}

void CKeyboardProfiledata::SetSystemStages(uint32_t w0, uint32_t w1, uint32_t w2) {
  systemStages_ = KeyboardSystemStages::Unpack(w0, w1, w2);
  const KeyboardSystemStages& r = systemStages_;
  Json::Value& sys = json::Slot(SectionForWrite(), "SystemStages");
  json::Slot(sys, "Repeat") = r.repeat;
  json::Slot(sys, "RepeatDelay") = r.repeatDelay;
  json::Slot(sys, "Key6Flag") = r.key6Flag;
  json::Slot(sys, "PollingRate") = r.pollingRate;
  json::Slot(sys, "WFlag") = r.wFlag;
  json::Slot(sys, "WinFlag") = r.winFlag;
}

std::vector<LightColor> CKeyboardProfiledata::GetCustomLightColors(int group, int count) {
  count = std::clamp(count, 0, kMaxLights);
  std::vector<LightColor> colours(static_cast<size_t>(count));
  if (GroupInRange(group)) {
    Json::Value* lights =
        json::At(json::Find(json::Find(SectionForRead(), "CustomLightMode"), "LightColorInfo"),
                 static_cast<Json::ArrayIndex>(group));
    // A group of another type (hand-edited) reads as zero colours and is left alone.
    if (lights && (lights->isNull() || lights->isArray())) {
      for (int j = 0; j < count; ++j) {
        Json::Value& e = (*lights)[static_cast<Json::ArrayIndex>(j)];
        if (e.isNull()) {
          e = ColourObject({});
        } else if (e.isObject()) {
          colours[static_cast<size_t>(j)] = {json::ByteOf(&e, "Red"), json::ByteOf(&e, "Green"),
                                             json::ByteOf(&e, "Blue"), json::ByteOf(&e, "Alpha")};
        }
      }
    }
  }
  customColours_ = colours;
  return colours;
}

void CKeyboardProfiledata::SetCustomLightColors(const std::vector<LightColor>& colours, int group) {
  if (!GroupInRange(group)) return;
  customColours_ = colours;
  Json::Value& lights = json::SlotAt(json::Slot(json::Slot(SectionForWrite(), "CustomLightMode"), "LightColorInfo"),
                                     static_cast<Json::ArrayIndex>(group));
  size_t n = std::min(colours.size(), static_cast<size_t>(kMaxLights));
  for (size_t i = 0; i < n; ++i) {
    Json::Value& e = json::SlotAt(lights, static_cast<Json::ArrayIndex>(i));
    json::Slot(e, "Red") = colours[i].red;
    json::Slot(e, "Green") = colours[i].green;
    json::Slot(e, "Blue") = colours[i].blue;
    json::Slot(e, "Alpha") = colours[i].alpha;
  }
}

int CKeyboardProfiledata::GetCustomLightModeGroupIndex() {
  Json::Value* index = json::Find(json::Find(SectionForRead(), "CustomLightMode"), "CustomLightModeGroupIndex");
  int64_t g = json::Int(index);
  customGroup_ = GroupInRange(static_cast<int>(std::clamp<int64_t>(g, -1, kCustomGroupCount))) ? static_cast<int>(g) : 0;
  return customGroup_;
}

void CKeyboardProfiledata::SetCustomLightModeGroupIndex(int group) {
  if (!GroupInRange(group)) return;
  customGroup_ = group;
  json::Slot(json::Slot(SectionForWrite(), "CustomLightMode"), "CustomLightModeGroupIndex") = group;
}

}  // namespace orlo
