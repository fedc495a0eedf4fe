#include "platform/SystemOpener.h"

#include "platform/Http.h"
#include "support/Log.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <mutex>

extern char** environ;

namespace platform {

namespace {

std::mutex mutex;
std::string opener = "xdg-open";
std::vector<pid_t> children;

// Collects the openers that have ended (they run briefly: they start the
// real program and leave).
void reap(bool wait) {
    std::erase_if(children, [wait](pid_t pid) {
        int status = 0;
        pid_t r = waitpid(pid, &status, wait ? 0 : WNOHANG);
        return r == pid || r < 0;
    });
}

} // namespace

bool systemOpensURL(const std::string& url) {
    std::string scheme = urlScheme(url);
    if (std::find(kSystemSchemes.begin(), kSystemSchemes.end(), scheme) == kSystemSchemes.end())
        return false;
    // Something must follow the scheme, and an option must not be mistaken
    // for a URL.
    return url.size() > scheme.size() + 1 && url.front() != '-' &&
           url.find('\0') == std::string::npos;
}

bool openURLWithSystem(const std::string& url) {
    if (!systemOpensURL(url)) {
        std::string scheme = urlScheme(url);
        ccLog("Refused to open a URL with the scheme '%s'",
              scheme.empty() ? "(none)" : scheme.c_str());
        return false;
    }
    std::lock_guard lock(mutex);
    reap(false);
    std::string program = opener;
    std::vector<char*> argv = {program.data(), const_cast<char*>(url.c_str()), nullptr};
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (rc != 0) {
        ccLog("Cannot start %s to open a URL", program.c_str());
        return false;
    }
    children.push_back(pid);
    return true;
}

std::string setSystemOpener(std::string program) {
    std::lock_guard lock(mutex);
    return std::exchange(opener, std::move(program));
}

void waitForSystemOpeners() {
    std::lock_guard lock(mutex);
    reap(true);
}

} // namespace platform
