// orloctl's mousepad commands: read mousepad, apply mousepad, set mousepad light ...
#include <cstdio>

#include "CtlSupport.h"
#include "DriverVerbs.h"
#include "base/DeviceKinds.h"
#include "device/mousepad/TessaroMousePadDevice.h"

namespace orloctl {
namespace {

using orlo::CTessaroMousePadDevice;

constexpr char kWord[] = "mousepad";
constexpr char kSetUsage[] = "set mousepad light MODE [LEVEL SPEED DIR R G B]";

std::unique_ptr<CTessaroMousePadDevice> Open(const GlobalOptions& options) {
  const DriverTarget target = FindDriverTarget(options, kWord, orlo::kKindMousePad);
  auto pad = std::make_unique<CTessaroMousePadDevice>(target.backend);
  StartStripDevice(*pad, target, kWord);
  return pad;
}

int RunRead(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError{"usage: read mousepad"};
  return Guarded([&] {
    PrintJson(StripState(*Open(options)));
    return 0;
  });
}

int RunApply(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError{"usage: apply mousepad"};
  return Guarded([&] {
    auto pad = Open(options);
    WriteStripBlock(*pad, kWord);
    std::printf("applied %s\n", pad->GetProfileName().c_str());
    return 0;
  });
}

int RunSet(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() < 4 || args[2] != "light") throw UsageError{std::string("usage: ") + kSetUsage};
  CheckLightArgs(args, 3, kSetUsage);
  return Guarded([&] {
    auto pad = Open(options);
    pad->SetLightEffect(LightFromArgs(args, 3, pad->GetLightEffect()));
    pad->NotifyProfileChanged();
    WriteStripBlock(*pad, kWord);
    PrintJson(StripState(*pad));
    return 0;
  });
}

const DriverVerb kRead{"read", kWord, RunRead};
const DriverVerb kApply{"apply", kWord, RunApply};
const DriverVerb kSet{"set", kWord, RunSet};

}  // namespace
}  // namespace orloctl
