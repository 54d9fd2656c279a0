#pragma once
// Diagnostic output. The system's debug lines are kept verbatim (many in Chinese); they go to a
// sink that is off by default. ORLO_DEBUG_LOG=stderr|PATH turns it on. The command trace
// ("命令"/"返回" lines) has a sink of its own, ORLO_TRACE=PATH, or SetTracePath().
#include <string>

namespace orlo {

// Writes one debug line (a trailing newline is added when missing). Thread-safe.
void DebugLine(const std::string& text);
// printf-style form of DebugLine.
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Command trace. TraceEnabled() is cheap so callers can skip formatting when it is off.
bool TraceEnabled();
void TraceLine(const std::string& text);
// Overrides ORLO_TRACE; an empty path turns the trace off.
void SetTracePath(const std::string& path);
// Overrides ORLO_DEBUG_LOG ("stderr", a path, or empty for off).
void SetDebugLogTarget(const std::string& target);

}  // namespace orlo
