#pragma once
// Applies the skin's style sheet to the application. "@skin/" in the sheet stands for the skin
// folder so that image urls do not depend on the working directory.
#include <string>

class QApplication;

namespace orlo::ui {

class CSkinStyle {
 public:
  // Loads <skin>/style/<file>, sets it on the application together with a matching palette.
  // False (nothing changed) when the sheet cannot be read.
  static bool Apply(QApplication& app, const std::string& file = "dark.qss");
  // The sheet with "@skin/" resolved, or empty when unreadable.
  static std::string Load(const std::string& file);
};

}  // namespace orlo::ui
