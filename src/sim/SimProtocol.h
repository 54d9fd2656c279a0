#pragma once
// Byte layout of the 64-byte command reports as the device firmware sees them.
#include <cstddef>
#include <cstdint>

namespace orlo::sim {

constexpr size_t kReportSize = 64;
constexpr uint8_t kCommandReportId = 4;
constexpr size_t kMaxPayload = 56;  // bytes 8..63
constexpr size_t kPayloadOffset = 8;
constexpr size_t kStatusByte = 7;

// Command codes.
constexpr uint8_t kCmdBeginConfig = 1;
constexpr uint8_t kCmdEndConfig = 2;
constexpr uint8_t kCmdReadInfo = 3;
constexpr uint8_t kCmdReadSettings = 5;
constexpr uint8_t kCmdWriteSettings = 6;
constexpr uint8_t kCmdReadKeyTable = 7;
constexpr uint8_t kCmdWriteKeyTable = 9;
constexpr uint8_t kCmdWriteLightData = 11;
constexpr uint8_t kCmdStreamLightFrame = 18;
constexpr uint8_t kCmdWriteMacro = 21;
constexpr uint8_t kCmdWriteShoot = 23;
constexpr uint8_t kCmdReadRange = 26;
constexpr uint8_t kCmdReadKeyBytes = 27;
constexpr uint8_t kCmdClaimLight = 28;
constexpr uint8_t kCmdWirelessQuery = 0xAA;

// Reply status byte (byte 7).
constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kStatusFailed = 0xFF;   // also: bad checksum
constexpr uint8_t kStatusRefused = 0xFE;  // outside the area, unknown command
// Reply byte 3 from a receiver whose device is out of reach.
constexpr uint8_t kReceiverUnreachable = 0xAA;
// Byte 8 of the 0xAA answer when the device is reachable.
constexpr uint8_t kWirelessReachable = 0xFF;

constexpr size_t kInfoBlockSize = 34;
constexpr size_t kKeyTableSize = 512;

// 16-bit sum of bytes 3..63, stored little-endian in bytes 1-2.
inline uint16_t ReportChecksum(const uint8_t* report) {
  uint16_t sum = 0;
  for (size_t i = 3; i < kReportSize; ++i) sum = static_cast<uint16_t>(sum + report[i]);
  return sum;
}

inline void SealReport(uint8_t* report) {
  const uint16_t sum = ReportChecksum(report);
  report[1] = static_cast<uint8_t>(sum & 0xFF);
  report[2] = static_cast<uint8_t>(sum >> 8);
}

}  // namespace orlo::sim
