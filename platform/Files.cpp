#include "platform/Files.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace fs = std::filesystem;

namespace {
std::mutex dirsMutex;
std::string documentsDir;
std::string resourcesDir;

std::string homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    // No HOME (a service, a stripped environment): the password database.
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
        found->pw_dir && *found->pw_dir)
        return found->pw_dir;
    return ".";
}

std::string defaultDocuments() {
    // Relative XDG paths are invalid and to be ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return (fs::path(xdg) / "nebulark-skirmage").string();
    return (fs::path(homeDirectory()) / ".local/share/nebulark-skirmage").string();
}

bool writeAll(int fd, const void* data, size_t size) {
    auto* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= size_t(n);
    }
    return true;
}

// "path" is written through "dir/.path.XXXXXX" (mkstemp's pattern).
constexpr size_t kTempSuffix = 7;

std::string temporaryPattern(const fs::path& dir, const fs::path& target) {
    return (dir / ("." + target.filename().string() + ".XXXXXX")).string();
}

bool isTemporaryName(const std::string& name) {
    if (name.size() < kTempSuffix + 2 || name.front() != '.') return false;
    if (name[name.size() - kTempSuffix] != '.') return false;
    for (size_t i = name.size() - kTempSuffix + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    return true;
}
} // namespace

std::string documentsDirectory() {
    std::lock_guard lock(dirsMutex);
    if (documentsDir.empty()) documentsDir = defaultDocuments();
    std::error_code ec;
    fs::create_directories(documentsDir, ec);
    return documentsDir;
}

namespace {
// Directories are kept absolute: libraries given a path (fontconfig) do not
// resolve relative ones against the working directory.
std::string absolute(std::string dir) {
    if (dir.empty()) return dir;
    std::error_code ec;
    fs::path full = fs::absolute(dir, ec);
    return ec ? dir : full.lexically_normal().string();
}
} // namespace

void setDocumentsDirectory(std::string dir) {
    std::lock_guard lock(dirsMutex);
    documentsDir = absolute(std::move(dir));
}

std::string documentPath(const std::string& name) {
    return (fs::path(documentsDirectory()) / name).string();
}

namespace {
// A build tree keeps the resources beside the program; an installed program
// finds them relative to its own directory, so that the installed tree can be
// moved as a whole.
std::string defaultResources() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "resources";
    fs::path built = exe.parent_path() / "resources";
    fs::path installed = (exe.parent_path() / NEBULARK_INSTALLED_RESOURCES).lexically_normal();
    if (!fs::is_directory(built, ec) && fs::is_directory(installed, ec)) return installed.string();
    return built.string();
}
} // namespace

std::string resourceDirectory() {
    std::lock_guard lock(dirsMutex);
    if (resourcesDir.empty()) {
        const char* env = std::getenv("NEBULARK_RESOURCES");
        resourcesDir = env && *env ? std::string(env) : defaultResources();
    }
    return resourcesDir;
}

void setResourceDirectory(std::string dir) {
    std::lock_guard lock(dirsMutex);
    resourcesDir = absolute(std::move(dir));
}

std::string pathForResource(const std::string& name, const std::string& type) {
    std::string file = type.empty() ? name : name + "." + type;
    if (file.empty()) return {};
    std::string path = (fs::path(resourceDirectory()) / file).string();
    return fileExists(path) ? path : std::string();
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool removeFile(const std::string& path) {
    if (::unlink(path.c_str()) == 0) return true;
    return errno == ENOENT;
}

std::optional<std::vector<uint8_t>> readFile(const std::string& path, size_t maxBytes) {
    // Non-blocking so that opening a FIFO cannot hang; it is refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || size_t(st.st_size) > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(st.st_size));
    uint8_t buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        if (bytes.size() + size_t(n) > maxBytes) {
            ::close(fd);
            return std::nullopt;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    return bytes;
}

bool writeFileAtomically(const std::string& path, const void* data, size_t size) {
    // A write past the file-size limit would end the process by default;
    // ignored, the write fails instead and the old file stays.
    static const bool fileSizeSignalIgnored = [] {
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            ::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)fileSizeSignalIgnored;
    fs::path target(path);
    fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string temp = temporaryPattern(dir, target);
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = writeAll(fd, data, size) && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

size_t removeUnfinishedWrites(const std::string& dir, double minAgeSeconds) {
    size_t removed = 0;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!isTemporaryName(it->path().filename().string())) continue;
        std::error_code statError;
        if (!it->is_regular_file(statError)) continue;
        auto written = it->last_write_time(statError);
        if (statError || std::chrono::duration<double>(now - written).count() < minAgeSeconds)
            continue;
        removed += ::unlink(it->path().c_str()) == 0;
    }
    return removed;
}

} // namespace platform
