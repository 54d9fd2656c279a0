// orloctl's headset commands: read headset, apply headset, set headset ... The chip is the
// simulated headset's with --simulate, else the sound card with the headset's USB id.
#include <cstdio>
#include <functional>

#include "CtlSupport.h"
#include "DriverVerbs.h"
#include "base/DeviceKinds.h"
#include "device/headset/TessaroRO6533Device.h"
#include "platform/audio/ChipProperties.h"
#include "sim/HeadsetChipLookup.h"

namespace orloctl {
namespace {

using orlo::CTessaroRO6533Device;
namespace audio = orlo::audio;

constexpr char kWord[] = "headset";
constexpr char kSetUsage[] =
    "set headset eq BAND VALUE | preset N | mic LEVEL | mic mute on|off | monitor LEVEL | monitor mute on|off | "
    "voice N | light MODE [LEVEL SPEED DIR R G B]";

std::unique_ptr<CTessaroRO6533Device> Open(const GlobalOptions& options) {
  const DriverTarget target = FindDriverTarget(options, kWord, orlo::kKindHeadset);
  auto headset = std::make_unique<CTessaroRO6533Device>(target.backend);
  headset->SetChipSource(std::bind_front(&orlo::sim::FindHeadsetChip, target.backend));
  StartStripDevice(*headset, target, kWord);
  headset->StartAudioChip();
  return headset;
}

// The parameter a get of the property takes.
std::vector<int32_t> ParamOf(const audio::ChipProperty& p) {
  if (p.name == audio::prop::kSurround) return {4, -1, 0};
  if (!p.channel) return {};
  return p.name.rfind("AA", 0) == 0 ? std::vector<int32_t>{audio::kFirstChannel} : std::vector<int32_t>{audio::kAllChannels};
}

Json::Value State(CTessaroRO6533Device& headset) {
  Json::Value out = StripState(headset);
  Json::Value& chip = out["chip"];
  chip["available"] = headset.ChipAvailable();
  if (!headset.ChipAvailable()) chip["reason"] = headset.ChipUnavailableReason();
  const orlo::HeadsetSystemSetStages s = headset.Stages();
  Json::Value& st = out["voice"];
  st["voiceChanger"] = s.magicEnable;
  st["voiceChangerType"] = s.magicType;
  st["eqType"] = s.eqType;
  st["customEq"] = s.customEqSelectIndex;
  st["micOn"] = s.micInSelect;
  st["micLevel"] = s.micInValue;
  st["monitorOn"] = s.micMonitorSelect;
  st["monitorLevel"] = s.micMonitorValue;
  for (int32_t b : headset.Bands()) st["bands"].append(b);
  for (const auto& n : headset.CustomEqNames()) st["customEqNames"].append(n);
  if (!headset.ChipAvailable()) return out;
  Json::Value& props = chip["properties"];
  auto get = [&](const audio::ChipProperty& p) {
    const audio::ChipAnswer a = headset.ChipPort().Get(p.flow, p.name, ParamOf(p));
    props[std::string(p.name)] = a.Ok() ? Json::Value(a.text) : Json::Value("result " + std::to_string(a.result));
  };
  for (const audio::ChipProperty& p : audio::ChipPropertyTable()) get(p);
  for (int b = 0; b < audio::kEqBandCount; ++b) get(*audio::FindChipProperty(audio::EqBandName(b)));
  return out;
}

int RunRead(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError{"usage: read headset"};
  return Guarded([&] {
    PrintJson(State(*Open(options)));
    return 0;
  });
}

// One preview frame of the profile's effect on the LEDs.
void SendOneFrame(CTessaroRO6533Device& headset) {
  const orlo::LightInfo e = headset.GetLightEffect();
  const auto plan = headset.Preview().PlanFor(e.mode, e.speed);
  if (plan.step) (headset.Preview().*plan.step)();
  headset.SendLedFrame();
}

int RunApply(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError{"usage: apply headset"};
  return Guarded([&] {
    auto headset = Open(options);
    WriteStripBlock(*headset, kWord);
    SendOneFrame(*headset);
    if (headset->ChipAvailable()) {
      const int r = headset->ApplyVoiceSettings();
      if (r != audio::kChipOk) throw CommandFailure{"headset: the chip refused a voice setting: " + std::to_string(r)};
    } else {
      std::fprintf(stderr, "orloctl: headset: voice settings not applied: %s\n", headset->ChipUnavailableReason().c_str());
    }
    std::printf("applied %s\n", headset->GetProfileName().c_str());
    return 0;
  });
}

bool OnOff(const std::string& text) {
  if (text == "on") return true;
  if (text == "off") return false;
  throw UsageError{"expected on or off, not '" + text + "'"};
}

int RunSet(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() < 4) throw UsageError{std::string("usage: ") + kSetUsage};
  const std::string& what = args[2];
  const bool mute = args.size() == 5 && args[3] == "mute";
  // Check the arguments before anything is read or written.
  if (what == "light") {
    CheckLightArgs(args, 3, kSetUsage);
  } else if (what == "eq") {
    if (args.size() != 5) throw UsageError{"usage: set headset eq BAND VALUE"};
    ParseInRange(args[3], 1, audio::kEqBandCount, "BAND");
    ParseInRange(args[4], audio::kEqBandMin, audio::kEqBandMax, "VALUE");
  } else if (what == "mic" || what == "monitor") {
    if (mute)
      OnOff(args[4]);
    else if (args.size() == 4)
      ParseInRange(args[3], 0, 100, "LEVEL");
    else
      throw UsageError{"usage: set headset " + what + " LEVEL | " + what + " mute on|off"};
  } else if (what == "preset" || what == "voice") {
    if (args.size() != 4) throw UsageError{"usage: set headset " + what + " N"};
    ParseInRange(args[3], 0, what == "preset" ? 13 : 4, "N");
  } else {
    throw UsageError{"set headset: unknown setting '" + what + "' (eq, preset, mic, monitor, voice, light)"};
  }
  return Guarded([&] {
    auto headset = Open(options);
    int r = audio::kChipOk;
    if (what == "light") {
      headset->SetLightEffect(LightFromArgs(args, 3, headset->GetLightEffect()));
      headset->NotifyProfileChanged();
      WriteStripBlock(*headset, kWord);
      SendOneFrame(*headset);
    } else if (!headset->ChipAvailable()) {
      throw CommandFailure{"headset: " + headset->ChipUnavailableReason()};
    } else if (what == "eq") {
      r = headset->SetEqBand(static_cast<int>(ParseInRange(args[3], 1, 10, "BAND")) - 1,
                             static_cast<int>(ParseInRange(args[4], -20, 20, "VALUE")));
    } else if (what == "preset") {
      r = headset->ApplyEqPreset(static_cast<int>(ParseInRange(args[3], 0, 13, "N")));
    } else if (what == "mic") {
      r = mute ? headset->SetMicOn(!OnOff(args[4])) : headset->SetMicLevel(static_cast<int>(ParseInRange(args[3], 0, 100, "LEVEL")));
    } else if (what == "monitor") {
      r = mute ? headset->SetMonitorOn(!OnOff(args[4]))
               : headset->SetMonitorLevel(static_cast<int>(ParseInRange(args[3], 0, 100, "LEVEL")));
    } else {
      const int n = static_cast<int>(ParseInRange(args[3], 0, 4, "N"));
      r = headset->SetVoiceChangerEnabled(n != 0);
      if (r == audio::kChipOk && n != 0) r = headset->SelectVoiceChanger(n);
    }
    if (r != audio::kChipOk) throw CommandFailure{"headset: the chip refused the setting: " + std::to_string(r)};
    PrintJson(State(*headset));
    return 0;
  });
}

const DriverVerb kRead{"read", kWord, RunRead};
const DriverVerb kApply{"apply", kWord, RunApply};
const DriverVerb kSet{"set", kWord, RunSet};

int NotACommand(const GlobalOptions&, const std::vector<std::string>&) {
  throw UsageError{"unknown command '' (see orloctl --help)"};
}
// Help lines only: the verbs above run through read, apply and set.
const CtlCommand kHelp{{"", "Driver",
                        "  orloctl read mousepad|headset    — first contact; state as JSON (headset: voice settings\n"
                        "                                     and every chip property)\n"
                        "  orloctl apply mousepad|headset   — write the selected profile to the device's profile 0\n"
                        "                                     (headset: lighting block, one LED frame, voice settings)\n"
                        "  orloctl set mousepad light MODE [LEVEL SPEED DIR R G B]\n"
                        "  orloctl set headset eq BAND VALUE | preset N | mic LEVEL | mic mute on|off\n"
                        "  orloctl set headset monitor LEVEL | monitor mute on|off | voice N (0 off, 1-4)\n"
                        "  orloctl set headset light MODE [LEVEL SPEED DIR R G B]\n"
                        "  --trace FILE also writes each LED report (输出报告 + its bytes) and each chip call",
                        NotACommand}};

}  // namespace
}  // namespace orloctl
