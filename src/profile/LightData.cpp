#include "profile/LightData.h"

#include "platform/Paths.h"
#include "profile/JsonAccess.h"

namespace orlo {
namespace {

uint8_t Byte(Json::Value* object, const char* key) { return static_cast<uint8_t>(json::Int(json::Find(object, key))); }
uint8_t Flag(Json::Value* object, const char* key) { return json::Bool(json::Find(object, key)) ? 1 : 0; }

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

Json::Value LightInfoToJson(const LightInfo& r) {
  Json::Value o(Json::objectValue);
  o["SelectItem"] = r.mode;
  o["Light"] = r.brightness;
  o["Speed"] = r.speed;
  o["Fx"] = r.direction;
  o["MultiColor"] = r.multiColor;
  o["Red"] = r.red;
  o["Green"] = r.green;
  o["Blue"] = r.blue;
  o["ZZCCLedMode"] = r.secondMode;
  o["CustomGroup"] = r.customGroup;
  o["OldLedmode"] = r.oldMode;
  return o;
}

LightInfo LightInfoFromJson(Json::Value* o) {
  LightInfo r;
  if (!o || !o->isObject()) return r;
  r.mode = Byte(o, "SelectItem");
  r.brightness = Byte(o, "Light");
  r.speed = Byte(o, "Speed");
  r.direction = Byte(o, "Fx");
  r.multiColor = Flag(o, "MultiColor");
  r.red = Byte(o, "Red");
  r.green = Byte(o, "Green");
  r.blue = Byte(o, "Blue");
  r.secondMode = Byte(o, "ZZCCLedMode");
  r.customGroup = Byte(o, "CustomGroup");
  r.oldMode = Byte(o, "OldLedmode");
  return r;
}

Json::Value AudioLightToJson(const AudioLightInfo& r) {
  Json::Value o(Json::objectValue);
  o["AudioMode"] = r.audioMode;
  o["BkColorR"] = r.bkRed;
  o["BkColorG"] = r.bkGreen;
  o["BkColorB"] = r.bkBlue;
  o["FgColorR"] = r.fgRed;
  o["FgColorG"] = r.fgGreen;
  o["FgColorB"] = r.fgBlue;
  o["7ColorFlags"] = r.sevenColorFlag;
  o["ColorTypeFlags"] = r.colorTypeFlag;
  return o;
}

AudioLightInfo AudioLightFromJson(Json::Value* o) {
  AudioLightInfo r;
  if (!o || !o->isObject()) return r;
  r.audioMode = Byte(o, "AudioMode");
  r.bkRed = Byte(o, "BkColorR");
  r.bkGreen = Byte(o, "BkColorG");
  r.bkBlue = Byte(o, "BkColorB");
  r.fgRed = Byte(o, "FgColorR");
  r.fgGreen = Byte(o, "FgColorG");
  r.fgBlue = Byte(o, "FgColorB");
  r.sevenColorFlag = Flag(o, "7ColorFlags");
  r.colorTypeFlag = Flag(o, "ColorTypeFlags");
  return r;
}

LightInfo LightListEntryFromJson(Json::Value* e) {
  LightInfo r;
  if (!e || !e->isObject()) return r;
  r.mode = Byte(e, "LEDREGMode");
  r.brightness = Byte(e, "LEDBrightness");
  r.speed = Byte(e, "LEDSpeed");
  r.direction = Flag(e, "LEDDirection");
  r.multiColor = Flag(e, "LEDMultiColor");
  r.red = Byte(e, "red");
  r.green = Byte(e, "green");
  r.blue = Byte(e, "blue");
  r.further[kLightListEntryFlag] = 1;
  return r;
}

LEDEffectStep EffectStepFromJson(Json::Value* e) {
  LEDEffectStep s;
  if (!e || !e->isObject()) return s;
  s.mode = Byte(e, "LEDREGMode");
  s.brightness = Byte(e, "LEDBrightness");
  s.speed = Byte(e, "LEDSpeed");
  s.direction = Byte(e, "LEDDirection");
  s.multiColor = Byte(e, "LEDMultiColor");
  s.red = Byte(e, "red");
  s.green = Byte(e, "green");
  s.blue = Byte(e, "blue");
  s.time = static_cast<int32_t>(json::Int(json::Find(e, "Time")));
  s.cycle = static_cast<int32_t>(json::Int(json::Find(e, "Cyle")));
  return s;
}

}  // namespace orlo
