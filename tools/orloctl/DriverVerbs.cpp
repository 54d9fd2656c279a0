#include "DriverVerbs.h"

#include <map>
#include <utility>

#include "device/link/DeviceLink.h"
#include "sim/SimBackend.h"

namespace orloctl {
namespace {

std::map<std::pair<std::string, std::string>, CommandFn>& Verbs() {
  static std::map<std::pair<std::string, std::string>, CommandFn> verbs;
  return verbs;
}

}  // namespace

DriverVerb::DriverVerb(std::string verb, std::string device, CommandFn run) {
  Verbs()[{std::move(verb), std::move(device)}] = std::move(run);
}

const CommandFn* DriverVerb::Find(const std::string& verb, const std::string& device) {
  auto it = Verbs().find({verb, device});
  return it == Verbs().end() ? nullptr : &it->second;
}

DriverTarget FindDriverTarget(const GlobalOptions& options, const std::string& word, uint16_t family) {
  DriverTarget t;
  t.backend = SelectBackend(options);
  const auto slots = Scan(t.backend);
  if (auto simulated = std::dynamic_pointer_cast<orlo::sim::SimBackend>(t.backend)) {
    for (const auto& s : slots) {
      if (s.present && s.variant == orlo::kVariantCommand && s.devicePath.rfind("sim:" + word + "#", 0) == 0) {
        t.entry = s;
        t.entry.kind = family;
        return t;
      }
    }
  }
  t.entry = slots[static_cast<size_t>(ResolveDevice(slots, word))];
  return t;
}

void ConnectDriver(orlo::CTessaroUSBDevice& driver, const DriverTarget& target, const std::string& word) {
  if (!driver.Connect(target.entry)) throw CommandFailure{word + ": cannot open " + target.entry.devicePath};
  if (!driver.OpenProfileList())
    throw CommandFailure{word + ": the profile list names no profile in " + driver.DeviceFolder()};
}

void StartStripDevice(orlo::CLightStripDevice& driver, const DriverTarget& target, const std::string& word) {
  ConnectDriver(driver, target, word);
  driver.LoadCatalogues();
  driver.ReadInformation();
  if (driver.ReadActiveSettings() != 1) throw CommandFailure{word + ": reading the active settings failed"};
  driver.LoadProfile();
}

void WriteStripBlock(orlo::CLightStripDevice& driver, const std::string& word) {
  const int r = driver.ApplySettings(0, 0, 0, 0, 0);
  if (r != 1)
    throw CommandFailure{word + ": writing the settings failed: " + std::to_string(r) + " (" + orlo::LinkResultText(r) + ")"};
}

Json::Value StripState(orlo::CLightStripDevice& driver) {
  Json::Value out;
  const auto& info = driver.deviceInfo().bytes;
  out["info"] = HexText(info.data(), info.size());
  out["activeProfile"] = driver.ActiveProfileNumber();
  const auto b = driver.SettingsImage().Bytes();
  Json::Value& s = out["settings"];
  s["mode"] = b[1];
  s["brightness"] = b[2];
  s["speed"] = b[3];
  s["direction"] = b[4];
  s["multicolour"] = b[5];
  s["colour"] = HexText(&b[6], 3);
  s["hex"] = HexText(b.data(), b.size());
  const auto written = driver.SettingsImage().LastWritten();
  if (!written.empty()) s["written"] = HexText(written.data(), written.size());
  const orlo::LightInfo e = driver.GetLightEffect();
  Json::Value& l = out["profileLight"];
  l["mode"] = e.mode;
  l["brightness"] = e.brightness;
  l["speed"] = e.speed;
  l["direction"] = e.direction;
  l["multicolour"] = e.multiColor;
  const uint8_t rgb[3] = {e.red, e.green, e.blue};
  l["colour"] = HexText(rgb, 3);
  out["profile"] = driver.GetProfileName();
  return out;
}

void CheckLightArgs(const std::vector<std::string>& args, size_t first, const std::string& usage) {
  const size_t n = args.size() - first;
  if (n != 1 && n != 7) throw UsageError{"usage: " + usage};
  LightFromArgs(args, first, {});
}

orlo::LightInfo LightFromArgs(const std::vector<std::string>& args, size_t first, orlo::LightInfo e) {
  auto at = [&](size_t i, long low, long high, const char* what) {
    return static_cast<uint8_t>(ParseInRange(args[first + i], low, high, what));
  };
  e.mode = at(0, 0, 255, "MODE");
  if (args.size() - first == 7) {
    e.brightness = at(1, 0, 4, "LEVEL");
    e.speed = at(2, 0, 4, "SPEED");
    e.direction = at(3, 0, 1, "DIR");
    e.red = at(4, 0, 255, "R");
    e.green = at(5, 0, 255, "G");
    e.blue = at(6, 0, 255, "B");
  }
  return e;
}

}  // namespace orloctl
