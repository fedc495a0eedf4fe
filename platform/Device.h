#pragma once

#include <string>

namespace platform {

// This machine's identifier for this application: 32 lower-case hex digits,
// the same on every run, derived from the system's machine id so that the
// machine id itself never leaves the program (other applications derive
// other identifiers from it).
std::string deviceIdentifier();
// The identifier derived from `machineId` (tests).
std::string deviceIdentifierFrom(const std::string& machineId);

// What kind of machine this is, for user agents: "Linux x86_64".
std::string deviceModel();

// The MD5 digest of `data` as 32 hexadecimal digits.
std::string md5Hex(const std::string& data, bool upperCase);

} // namespace platform
