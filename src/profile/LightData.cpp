#include "profile/LightData.h"

#include "platform/Paths.h"
#include "profile/JsonAccess.h"

namespace orlo {
namespace {

// One byte member of a lighting record and its key. A flag reads any true value as 1; written,
// every member is an integer.
template <class Record>
struct ByteField {
  const char* key;
  uint8_t Record::*member;
  bool flag = false;
};

template <class Record, size_t N>
Json::Value FieldsToJson(const Record& r, const ByteField<Record> (&fields)[N]) {
  Json::Value o(Json::objectValue);
  for (const auto& f : fields) o[f.key] = r.*f.member;
  return o;
}

// Leaves r as it is unless o is an object.
template <class Record, size_t N>
bool FieldsFromJson(Json::Value* o, Record& r, const ByteField<Record> (&fields)[N]) {
  if (!o || !o->isObject()) return false;
  for (const auto& f : fields) r.*f.member = f.flag ? json::FlagOf(o, f.key) : json::ByteOf(o, f.key);
  return true;
}

constexpr ByteField<LightInfo> kLightInfoFields[] = {
    {"SelectItem", &LightInfo::mode},
    {"Light", &LightInfo::brightness},
    {"Speed", &LightInfo::speed},
    {"Fx", &LightInfo::direction},
    {"MultiColor", &LightInfo::multiColor, true},
    {"Red", &LightInfo::red},
    {"Green", &LightInfo::green},
    {"Blue", &LightInfo::blue},
    {"ZZCCLedMode", &LightInfo::secondMode},
    {"CustomGroup", &LightInfo::customGroup},
    {"OldLedmode", &LightInfo::oldMode},
};

constexpr ByteField<AudioLightInfo> kAudioLightFields[] = {
    {"AudioMode", &AudioLightInfo::audioMode},
    {"BkColorR", &AudioLightInfo::bkRed},
    {"BkColorG", &AudioLightInfo::bkGreen},
    {"BkColorB", &AudioLightInfo::bkBlue},
    {"FgColorR", &AudioLightInfo::fgRed},
    {"FgColorG", &AudioLightInfo::fgGreen},
    {"FgColorB", &AudioLightInfo::fgBlue},
    {"7ColorFlags", &AudioLightInfo::sevenColorFlag, true},
    {"ColorTypeFlags", &AudioLightInfo::colorTypeFlag, true},
};

// A light list entry and an effect step use the same keys; the list entry reads direction and
// multicolour as flags, the step keeps their bytes.
constexpr ByteField<LightInfo> kLightListFields[] = {
    {"LEDREGMode", &LightInfo::mode},
    {"LEDBrightness", &LightInfo::brightness},
    {"LEDSpeed", &LightInfo::speed},
    {"LEDDirection", &LightInfo::direction, true},
    {"LEDMultiColor", &LightInfo::multiColor, true},
    {"red", &LightInfo::red},
    {"green", &LightInfo::green},
    {"blue", &LightInfo::blue},
};

constexpr ByteField<LEDEffectStep> kEffectStepFields[] = {
    {"LEDREGMode", &LEDEffectStep::mode},
    {"LEDBrightness", &LEDEffectStep::brightness},
    {"LEDSpeed", &LEDEffectStep::speed},
    {"LEDDirection", &LEDEffectStep::direction},
    {"LEDMultiColor", &LEDEffectStep::multiColor},
    {"red", &LEDEffectStep::red},
    {"green", &LEDEffectStep::green},
    {"blue", &LEDEffectStep::blue},
};

// Element [kind] of catalogue[member] when it is an array.
const Json::Value* KindElement(const Json::Value& catalogue, const char* member, int kind) {
  if (kind < 0) return nullptr;
  const Json::Value* e = json::PeekAt(json::Peek(&catalogue, member), static_cast<Json::ArrayIndex>(kind));
  return e && e->isArray() ? e : nullptr;
}

}  // namespace

int FirstCustomLightMode(int profileKindIndex) {
  switch (profileKindIndex) {
    case kMouseKindIndex:
      return 10;
    case kMousePadKindIndex:
    case kHeadsetKindIndex:
      return 9;
    default:
      return 0;
  }
}

std::string DefaultLightCataloguePath() { return paths::ProgramFolder() + "DefaultData/default_light.json"; }

bool ReadBuiltInLightNames(const Json::Value& catalogue, int profileKindIndex,
                           std::vector<BuiltInLightEntry>& out) {
  const Json::Value* list = KindElement(catalogue, "DefaultLightName", profileKindIndex);
  if (!list) return false;
  out.clear();
  for (const Json::Value& e : *list) {
    out.push_back({json::String(json::Peek(&e, "LightName")), json::Bool(json::Peek(&e, "visible")),
                   static_cast<int>(json::Int(json::Peek(&e, "value")))});
  }
  return true;
}

bool ReadAreaLightNames(const Json::Value& catalogue, int profileKindIndex, std::vector<std::string>& out) {
  const Json::Value* list = KindElement(catalogue, "AreaLightName", profileKindIndex);
  if (!list) return false;
  out.clear();
  for (const Json::Value& e : *list) out.push_back(json::String(json::Peek(&e, "LightName")));
  return true;
}

bool ReadCustomLightEntries(const Json::Value& lightConfig, int profileKindIndex,
                            std::vector<CustomLightEntry>& out) {
  const Json::Value* list = KindElement(lightConfig, "LightInfo", profileKindIndex);
  if (!list) return false;
  out.clear();
  for (const Json::Value& e : *list)
    out.push_back({json::String(json::Peek(&e, "LightName")), json::String(json::Peek(&e, "Guid"))});
  return true;
}

Json::Value LightInfoToJson(const LightInfo& r) { return FieldsToJson(r, kLightInfoFields); }

LightInfo LightInfoFromJson(Json::Value* o) {
  LightInfo r;
  FieldsFromJson(o, r, kLightInfoFields);
  return r;
}

std::array<uint8_t, 9> AudioLightBytes(const AudioLightInfo& r) {
  return {r.audioMode, r.bkRed, r.bkGreen, r.bkBlue, r.fgRed, r.fgGreen, r.fgBlue, r.sevenColorFlag, r.colorTypeFlag};
}

AudioLightInfo AudioLightFromBytes(const std::array<uint8_t, 9>& b) {
  return {b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8]};
}

Json::Value AudioLightToJson(const AudioLightInfo& r) { return FieldsToJson(r, kAudioLightFields); }

AudioLightInfo AudioLightFromJson(Json::Value* o) {
  AudioLightInfo r;
  FieldsFromJson(o, r, kAudioLightFields);
  return r;
}

LightInfo LightListEntryFromJson(Json::Value* e) {
  LightInfo r;
  if (FieldsFromJson(e, r, kLightListFields)) r.further[kLightListEntryFlag] = 1;
  return r;
}

LEDEffectStep EffectStepFromJson(Json::Value* e) {
  LEDEffectStep s;
  if (!FieldsFromJson(e, s, kEffectStepFields)) return s;
  s.time = static_cast<int32_t>(json::Int(json::Find(e, "Time")));
  s.cycle = static_cast<int32_t>(json::Int(json::Find(e, "Cyle")));
  return s;
}

std::vector<LEDEffectStep> EffectStepsOf(Json::Value document) {
  std::vector<LEDEffectStep> steps;
  Json::Value* list = json::Find(&document, "LEDEffectList");
  for (Json::ArrayIndex i = 0; i < json::Size(list); ++i) steps.push_back(EffectStepFromJson(&(*list)[i]));
  return steps;
}

}  // namespace orlo
