#pragma once
// The HID backend of the simulated devices. Every top-level collection of a plugged simulated
// device is listed with a path of the same marker form as the hidraw backend, e.g.
//   sim:mouse#vid_320f&pid_222e&mi_01&col04
// ("&colNN" only when the interface has more than one top-level collection), so the
// catalogue's path parsers work unchanged. Devices can be plugged and unplugged at run time.
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/hid/HidBackend.h"
#include "sim/SimDevice.h"

namespace orlo::sim {

class SimBackend : public hid::HidBackend {
 public:
  // Adds a device and returns its node name ("mouse", or "mouse-2" when "mouse" is taken).
  std::string Add(std::shared_ptr<SimDevice> device);
  // Takes a device away for good (its open handles fail from then on).
  bool Remove(const std::string& node);
  std::shared_ptr<SimDevice> Device(const std::string& node) const;
  std::vector<std::string> Nodes() const;

  bool Plug(const std::string& node);
  bool Unplug(const std::string& node);
  void SetLatency(std::chrono::microseconds latency);

  // Paths of one device's collections (whether plugged or not), in interface and descriptor order.
  std::vector<std::string> PathsOf(const std::string& node) const;

  std::optional<std::vector<std::string>> Enumerate() override;
  std::unique_ptr<hid::HidDevice> Open(const std::string& path, bool read, bool write) override;

 private:
  struct Entry {
    std::string node;
    std::shared_ptr<SimDevice> device;
  };
  static std::vector<std::string> PathsOfEntry(const Entry& e);
  const Entry* FindLocked(const std::string& node) const;

  mutable std::mutex mu_;
  std::vector<Entry> entries_;
};

struct SimOptions {
  // Keep each device's memory in a file between runs: in `folder`, else $ORLO_SIM_DIR, else
  // $XDG_STATE_HOME/Tavrin ORLO/sim/.
  bool persist = true;
  std::string folder;
  std::chrono::microseconds latency{0};
};

// Names accepted in a --simulate list.
std::vector<std::string> SimDeviceNames();

// Builds a backend from a --simulate list such as "mouse,keyboard". The wired and the receiver
// mouse of one list are one mouse (one memory). Throws std::invalid_argument naming the
// offending entry for an unknown or empty name.
std::shared_ptr<SimBackend> MakeSimBackend(const std::string& list, const SimOptions& options = {});

// The folder the memory files go to when SimOptions::folder is empty.
std::string DefaultSimFolder();

}  // namespace orlo::sim
