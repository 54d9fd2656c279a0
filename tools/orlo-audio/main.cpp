// orlo-audio: captures the sound the default output plays and feeds its levels to the Tavrin
// ORLO window for music lighting.
#include <QCoreApplication>
#include <cstdio>
#include <memory>

#include "AudioApp.h"
#include "Options.h"
#include "PulseMonitorSource.h"
#include "analysis/SineSource.h"
#include "platform/bus/DBusBus.h"

int main(int argc, char** argv) {
  using namespace orlo::audio;
  std::string error;
  const auto options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "orlo-audio: %s\n%s", error.c_str(), UsageText());
    return 2;
  }
  if (options->help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  InstallStopSignals();
  QCoreApplication app(argc, argv);
  orlo::bus::DBusBus bus;
  if (!bus.Connected()) {
    std::fprintf(stderr, "orlo-audio: no session bus\n");
    return 1;
  }
  std::unique_ptr<IAudioSource> source;
  if (options->sineHz || options->silence) {
    // Silence is a sine of amplitude 0.
    const double amplitude = options->silence ? 0.0 : 0.5;
    source = std::make_unique<CSineSource>(options->sineHz.value_or(1000.0), amplitude, kSampleRate, Clock::now());
  } else {
    source = std::make_unique<CPulseMonitorSource>(kWindowSize);
  }
  CAudioApp audio(bus, *source, options->target);
  if (!audio.Start(error)) {
    std::fprintf(stderr, "orlo-audio: %s\n", error.c_str());
    return 1;
  }
  return app.exec();
}
