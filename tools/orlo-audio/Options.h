#pragma once
// The command line of orlo-audio.
#include <optional>
#include <string>
#include <vector>

namespace orlo::audio {

struct Options {
  std::optional<double> sineHz;  // a generated sine instead of the output's monitor
  bool silence = false;          // generated silence instead of the output's monitor
  std::string target;            // title of the window that receives the levels
  bool help = false;
};

inline constexpr double kHighestSineHz = 20000.0;

// Options from the arguments after the program name; nullopt with a one-line reason on bad input.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);
const char* UsageText();

}  // namespace orlo::audio
