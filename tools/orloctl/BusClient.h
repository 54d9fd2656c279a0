#pragma once
// A short-lived connection to the session bus for one orloctl command: the Qt core application
// the bus needs, and the bus. Prints "orloctl: no session bus" when there is none.
#ifdef ORLO_HAVE_BUS

#include <QCoreApplication>
#include <cstdio>

#include "platform/bus/DBusBus.h"

namespace orloctl {

class BusClient {
 public:
  BusClient() : app_(argc_, argv_) {}
  // True when connected; otherwise says so on stderr.
  bool Connect() {
    if (bus_.Connected()) return true;
    std::fprintf(stderr, "orloctl: no session bus\n");
    return false;
  }
  orlo::bus::DBusBus& Bus() { return bus_; }

 private:
  int argc_ = 1;
  char arg0_[8] = "orloctl";
  char* argv_[2] = {arg0_, nullptr};
  QCoreApplication app_;
  orlo::bus::DBusBus bus_;
};

}  // namespace orloctl

#endif  // ORLO_HAVE_BUS
