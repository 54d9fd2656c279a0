#pragma once
// Process start-up and teardown: private fonts, the message table, the single-instance guard,
// the toolkit's resources and custom controls, the main window and its message loop.
#include <string>
#include <vector>

namespace orlo {

struct AppArguments {
  std::string simulate;    // --simulate LIST
  std::string screenshot;  // --screenshot FILE
  bool help = false;
  std::vector<std::string> ignored;  // anything else (reported, then ignored)
};

AppArguments ParseAppArguments(int argc, char** argv);

// The whole life of the program; always returns 0.
int RunApplication(int argc, char** argv);

// Relative paths of the private fonts, in load order.
const std::vector<std::string>& PrivateFontFiles();

}  // namespace orlo
