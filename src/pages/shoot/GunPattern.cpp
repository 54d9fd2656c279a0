#include "pages/shoot/GunPattern.h"

#include <algorithm>
#include <cstdlib>

#include "profile/NameRules.h"

namespace orlo::shoot {

namespace {
constexpr int kTypeLeftButton = 1;  // the mouse-button event type; button 1 is the left one
constexpr int kTypeMoveX = 4;
constexpr int kTypeMoveY = 5;

const Json::Value& EventAt(const Json::Value& document, int index) {
  static const Json::Value kNull;
  if (!document.isObject() || !document["Events"].isArray()) return kNull;
  const Json::Value& events = document["Events"];
  return index >= 0 && static_cast<Json::ArrayIndex>(index) < events.size() ? events[index] : kNull;
}

int IntMember(const Json::Value& event, const char* key) {
  if (!event.isObject()) return 0;
  const Json::Value& v = event[key];
  if (v.isInt()) return v.asInt();
  if (v.isUInt()) return static_cast<int>(std::min<unsigned>(v.asUInt(), 1u << 30));
  if (v.isString()) return ParseField(v.asString(), kMaxDelay);
  return 0;
}

bool IsDown(const Json::Value& event) {
  if (!event.isObject()) return false;
  const Json::Value& v = event["Action"];
  return v.isString() && SameNameIgnoringCase(v.asString(), "down");
}

Json::Value Event(bool down, int type, int button, int delay) {
  Json::Value e(Json::objectValue);
  e["Action"] = down ? "down" : "up";
  e["Button"] = button;
  e["Delay"] = delay;
  e["Type"] = type;
  return e;
}

void PutBullet(Json::Value& events, int bullet, const Bullet& b) {
  const auto at = static_cast<Json::ArrayIndex>(bullet * kEventsPerBullet);
  events[at + 0] = Event(true, kTypeLeftButton, 1, 10);
  events[at + 1] = Event(false, kTypeLeftButton, 1, 0);
  events[at + 2] = Event(b.left, kTypeMoveX, b.x, 5);
  events[at + 3] = Event(b.up, kTypeMoveY, b.y, b.delay);
  events[at + 4] = Event(b.left, kTypeMoveX, 0, 0);
  events[at + 5] = Event(b.up, kTypeMoveY, 0, 0);
}
}  // namespace

std::string GunFileName(int gun) { return "ShootData_" + std::to_string(gun) + ".Shoot"; }

int ParseField(const std::string& text, int max) {
  const char* p = text.c_str();
  while (*p == ' ' || *p == '\t') ++p;
  char* end = nullptr;
  const long long v = std::strtoll(p, &end, 10);
  if (end == p) return 0;
  return static_cast<int>(std::clamp<long long>(v, 0, max));
}

Bullet ReadBullet(const Json::Value& document, int bullet) {
  const int at = bullet * kEventsPerBullet;
  const Json::Value& x = EventAt(document, at + 2);
  const Json::Value& y = EventAt(document, at + 3);
  Bullet b;
  b.x = std::clamp(IntMember(x, "Button"), 0, kMaxDistance);
  b.y = std::clamp(IntMember(y, "Button"), 0, kMaxDistance);
  b.delay = std::clamp(IntMember(y, "Delay"), 0, kMaxDelay);
  b.left = IsDown(x);
  b.up = IsDown(y);
  return b;
}

void WriteBullet(Json::Value& document, int bullet, const Bullet& value) {
  if (bullet < 0 || bullet >= kBulletCount) return;
  if (!document.isObject()) document = Json::Value(Json::objectValue);
  if (!document["Events"].isArray()) document["Events"] = Json::Value(Json::arrayValue);
  Json::Value& events = document["Events"];
  for (int missing = static_cast<int>(events.size()) / kEventsPerBullet; missing < bullet; ++missing)
    PutBullet(events, missing, Bullet{});
  Bullet b = value;
  b.x = std::clamp(b.x, 0, kMaxDistance);
  b.y = std::clamp(b.y, 0, kMaxDistance);
  b.delay = std::clamp(b.delay, 0, kMaxDelay);
  PutBullet(events, bullet, b);
}

}  // namespace orlo::shoot
