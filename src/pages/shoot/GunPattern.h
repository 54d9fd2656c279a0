#pragma once
// A gun's recoil-compensation pattern as the shoot page edits it: 30 bullets, each a left click
// followed by a relative pointer move and a delay, kept in the gun's file ("ShootData_" + gun +
// ".Shoot" in the mouse's folder) as six macro events per bullet, bullet b at 6b .. 6b + 5:
//
//   6b      "down" left button, delay 10      6b + 1  "up" left button, delay 0
//   6b + 2  X move (type 4) by x, delay 5     6b + 3  Y move (type 5) by y, delay = the bullet's
//   6b + 4  X move by 0, delay 0              6b + 5  Y move by 0, delay 0
//
// The direction rides on the action: "down" moves left (X) or up (Y), "up" right or down. Every
// member is written as a JSON integer except "Action".
#include <json/json.h>

#include <string>

namespace orlo::shoot {

inline constexpr int kGunCount = 4;
inline constexpr int kBulletCount = 30;
inline constexpr int kEventsPerBullet = 6;
inline constexpr int kMaxDistance = 255;  // one byte on the mouse
inline constexpr int kMaxDelay = 65535;

struct Bullet {
  int x = 0;          // pixels, 0..255
  int y = 0;          // pixels, 0..255
  bool left = false;  // X moves left (else right)
  bool up = false;    // Y moves up (else down)
  int delay = 0;      // milliseconds after the bullet, 0..65535

  bool operator==(const Bullet&) const = default;
};

// "ShootData_" + gun + ".Shoot".
std::string GunFileName(int gun);

// Bullet b of a gun document; missing or malformed members read as 0 / right / down.
Bullet ReadBullet(const Json::Value& document, int bullet);
// Writes bullet b's six events into the document's "Events" (other events kept). Bullets before
// b that the document lacks are written as clicks without a move, so that every bullet stays at
// its place. Values are clamped to their ranges.
void WriteBullet(Json::Value& document, int bullet, const Bullet& value);

// A text field's number: leading digits (a sign allowed), anything else 0, clamped to 0..max.
int ParseField(const std::string& text, int max);

}  // namespace orlo::shoot
