#include "Options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/bus/MessageBus.h"

namespace orlo::audio {

const char* UsageText() {
  return "usage: orlo-audio [--sine HZ | --silence] [--to TITLE]\n"
         "  Sends the levels of the sound the default output plays to the running Tavrin ORLO\n"
         "  window, 100 frames a second, until that window tells it to stop or is gone.\n"
         "  --sine HZ   a generated sine of HZ (1 to 20000) at half full scale instead\n"
         "  --silence   generated silence instead\n"
         "  --to TITLE  the window that receives the levels (default \"Tavrin ORLO\")\n";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options o;
  o.target = bus::kMainWindowTitle;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--silence") {
      o.silence = true;
    } else if (a == "--sine" || a == "--to") {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return std::nullopt;
      }
      const std::string& v = args[++i];
      if (a == "--to") {
        if (v.empty()) {
          error = "--to needs a title";
          return std::nullopt;
        }
        o.target = v;
        continue;
      }
      errno = 0;
      char* end = nullptr;
      const double hz = std::strtod(v.c_str(), &end);
      if (v.empty() || errno != 0 || end == nullptr || *end != '\0' || !std::isfinite(hz) || hz < 1.0 ||
          hz > kHighestSineHz) {
        error = "--sine '" + v + "' is not a frequency from 1 to 20000";
        return std::nullopt;
      }
      o.sineHz = hz;
    } else {
      error = "unknown argument '" + a + "'";
      return std::nullopt;
    }
  }
  if (o.silence && o.sineHz) {
    error = "--sine and --silence exclude each other";
    return std::nullopt;
  }
  return o;
}

}  // namespace orlo::audio
