#pragma once
// Where the update check goes and what it says about this program: the server base (a build
// setting, ORLO_UPDATE_URL at run time), the trusted authorities (the system's, or
// ORLO_UPDATE_CA), the installed version, and the folder packages are downloaded into.
#include <cstdint>
#include <string>
#include <string_view>

namespace orlo::update {

// False in builds made with the update check turned off.
bool UpdateCheckBuilt();
// The first non-empty of: override, $ORLO_UPDATE_URL, the build's default. "" when none is set.
std::string ServerBase(const std::string& override = {});
// The first non-empty of: override, $ORLO_UPDATE_CA; "" means the system's authorities.
std::string CaFile(const std::string& override = {});
// A dotted version read as one decimal number without its dots: "1.0.2.7" is 1027. Reading
// stops at the first character that is neither a digit nor a dot; 0 when nothing is left or the
// number does not fit.
int32_t VersionNumber(std::string_view dotted);
// This program's version, dotted ("0.1.0"), and as the update rows carry it.
std::string ApplicationVersionText();
int32_t ApplicationVersion();
// "Tavrin ORLO/<version>".
std::string UserAgent();
// The user's cache folder + "UpdateData/" (not created here).
std::string DownloadFolder();

}  // namespace orlo::update
