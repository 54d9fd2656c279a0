#pragma once
// The memory of one simulated device: its areas (info block, settings, key tables, macro and
// shoot areas, light data, power state) with their factory contents. The wired and the
// receiver connection of one device share one memory. Persistent areas can be kept in a file
// between runs; the file is rewritten (atomically) after every write command.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace orlo::sim {

enum class Area : uint8_t {
  Info,       // command 3
  Settings,   // commands 5 / 6
  KeyTable,   // commands 7 / 9
  KeyBytes,   // command 27
  LightData,  // command 11
  LiveFrame,  // command 18 (the last streamed frame)
  Macro,      // command 21
  Shoot,      // command 23
  Power,      // command 26
};
constexpr int kAreaCount = 9;

class SimMemory {
 public:
  // name: file title of the memory file ("mouse" → "mouse.mem").
  explicit SimMemory(std::string name);

  const std::string& Name() const { return name_; }

  // Declares an area with its factory contents. Persistent areas go to the memory file.
  void Define(Area area, std::vector<uint8_t> factory, bool persistent);
  bool Has(Area area) const;
  bool IsPersistent(Area area) const;
  size_t Size(Area area) const;

  // false (and nothing copied) when [offset, offset + length) is not inside the area.
  bool Read(Area area, size_t offset, uint8_t* out, size_t length) const;
  bool Write(Area area, size_t offset, const uint8_t* in, size_t length);
  std::vector<uint8_t> Snapshot(Area area) const;
  uint8_t Byte(Area area, size_t offset) const;  // 0 outside the area
  void ResetToFactory();

  // Persistence. An empty folder switches it off (the default).
  void SetPersistFolder(const std::string& folder);
  std::string FilePath() const;  // empty when persistence is off
  // Loads the file; a missing, corrupt or mismatching file leaves the factory state (false).
  bool Load();
  // Writes every persistent area (temporary file + rename). true when written or when off.
  bool Save() const;

 private:
  struct Slot {
    bool defined = false;
    bool persistent = false;
    std::vector<uint8_t> factory;
    std::vector<uint8_t> data;
  };
  bool SaveLocked() const;
  std::vector<uint8_t> SerializeLocked() const;

  std::string name_;
  std::string folder_;
  mutable std::mutex mu_;
  Slot slots_[kAreaCount];
};

}  // namespace orlo::sim
