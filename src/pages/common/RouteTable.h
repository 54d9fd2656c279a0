#pragma once
// Control routes: which operation a notification of a given type from a control of a given name
// runs. A sender name splits at its last underscore into a prefix ("DPI_slider_") and an index
// (3); routes are keyed by notification type and by whole name or prefix, matched
// case-insensitively (or by the exact name). The window keeps one table for its own controls;
// each page keeps one for the controls it answers to.
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/NotifyUI.h"

namespace orlo {

struct SplitName {
  bool split = false;   // the name has an underscore
  std::string prefix;   // up to and including the last underscore
  long long index = 0;  // leading digits (optional sign) of the rest; 0 without digits
};
SplitName SplitControlName(std::string_view name);

class CRouteTable {
 public:
  using Handler = std::function<void(ui::TNotifyUI& msg, long long index)>;

  // A control family by the prefix of its names ("dpi_slider_").
  void OnPrefix(const std::string& type, const std::string& prefix, Handler handler);
  // One control by its name, any case.
  void OnName(const std::string& type, const std::string& name, Handler handler);
  // One control by its name, exact case.
  void OnExactName(const std::string& type, const std::string& name, Handler handler);

  // Runs the route of msg; false when none matched. For clicks a prefix route and a whole-name
  // route may both run (prefix first); for other types the first match wins.
  bool Dispatch(ui::TNotifyUI& msg) const;

  // "click:closebtn", "click:key_*" ... for tests and diagnostics.
  std::vector<std::string> Names() const;

 private:
  struct Table {
    std::map<std::string, Handler> prefix;  // lower-case prefix
    std::map<std::string, Handler> whole;   // lower-case name
    std::map<std::string, Handler> exact;   // exact-case name
  };
  std::map<std::string, Table> tables_;  // by notification type
};

}  // namespace orlo
