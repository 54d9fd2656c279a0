#pragma once
// The headset's audio chip, as the headset driver drives it: five calls, answered by a
// component behind this interface (the simulated chip, or the USB sound card of a real headset).
//
//   ConfLibInit        0 = ready; anything else means the chip could not be prepared
//   CreateDeviceList   builds the endpoint list the next two calls read
//   GetDeviceCount     number of endpoints of a flow (playback or recording)
//   GetDeviceById      the endpoint record at an index of a flow
//   PropertyControl    gets or sets one named property on one endpoint
//
// Every call answers 0 on success and one of the ChipResult codes otherwise. Property names are
// UTF-16. Values travel in 1024-byte buffers that the caller zeroes before every call: a set
// passes a 32-bit value (a float for volumes, else an integer) in the value buffer and, where a
// property takes one, 32-bit parameters (the channel: -1 all, 0 the first) in the parameter
// buffer; a successful get leaves its answer in the value buffer as ASCII text, ended by a 0
// byte or by the end of the buffer: a decimal number, or comma-separated fields.
//
// Components are used from one thread at a time (the driver's UI thread).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orlo::audio {

enum class Flow : int32_t { kPlayback = 0, kRecording = 1 };
enum class PropertyMode : int32_t { kGet = 0, kSet = 1 };

enum ChipResult : int {
  kChipOk = 0,
  kChipUnsupported = 1,  // no such property on this chip or endpoint, or not in this mode
  kChipFailed = 2,       // the property exists but the call did not go through
  kChipBadValue = 3,     // value or parameter outside what the property takes
  kChipNotReady = 4,     // not initialised, no such endpoint, or no chip at all
};

// One endpoint as the component reports it; kept by the caller and passed back unchanged.
struct EndpointRecord {
  int32_t id = 0;
  int32_t type = 0;
  int32_t extra = 0;  // the component's own value
  int32_t state = 0;  // kEndpointActive when the endpoint is in use
  bool operator==(const EndpointRecord&) const = default;
};
inline constexpr int32_t kEndpointActive = 1;

inline constexpr size_t kChipBufferSize = 1024;
using ChipBuffer = std::array<uint8_t, kChipBufferSize>;

class IAudioChip {
 public:
  virtual ~IAudioChip() = default;

  virtual int ConfLibInit() = 0;
  virtual int CreateDeviceList() = 0;
  virtual int GetDeviceCount(Flow flow, uint32_t& count) = 0;
  virtual int GetDeviceById(Flow flow, uint32_t index, EndpointRecord& record) = 0;
  // param is null when the property takes no parameter.
  virtual int PropertyControl(EndpointRecord endpoint, std::u16string_view name, ChipBuffer& value,
                              ChipBuffer* param, PropertyMode mode) = 0;
};

}  // namespace orlo::audio
