#include "platform/Device.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>

namespace platform {

namespace {

// Mixed with the machine id; changing it changes every installation's id.
constexpr char kApplicationKey[] = "nebulark-skirmage/device-id/1";

std::string hex(const unsigned char* bytes, size_t n, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::string readMachineId() {
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        std::ifstream in(path);
        std::string id;
        if (in && std::getline(in, id) && id.size() >= 16) return id;
    }
    // No machine id: the host name and user still tell installations apart
    // and stay the same between runs.
    char host[256] = "";
    gethostname(host, sizeof host - 1);
    return std::string(host) + "/" + std::to_string(getuid());
}

} // namespace

std::string deviceIdentifierFrom(const std::string& machineId) {
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    HMAC(EVP_sha256(), machineId.data(), int(machineId.size()),
         reinterpret_cast<const unsigned char*>(kApplicationKey), sizeof kApplicationKey - 1, mac,
         &len);
    return hex(mac, std::min(len, 16u), false);
}

std::string deviceIdentifier() {
    static const std::string id = deviceIdentifierFrom(readMachineId());
    return id;
}

std::string deviceModel() {
    utsname u{};
    if (uname(&u) != 0) return "Linux";
    return std::string(u.sysname) + " " + u.machine;
}

std::string md5Hex(const std::string& data, bool upperCase) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_Digest(data.data(), data.size(), digest, &len, EVP_md5(), nullptr);
    return hex(digest, len, upperCase);
}

} // namespace platform
