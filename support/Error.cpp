#include "support/Error.h"

#include "support/Log.h"

#include <cstdlib>

void ccRaise(const std::string& name, const std::string& message) { throw Error(name, message); }

void ccAssertionFailed(const std::string& message) { throw Error(kAssertionError, message); }

static void logUncaught() {
    if (std::exception_ptr e = std::current_exception()) {
        try {
            std::rethrow_exception(e);
        } catch (const Error& err) {
            if (err.name() == kAssertionError)
                ccLog("%s", err.message().c_str());
            else
                ccLog("%s: %s", err.name().c_str(), err.message().c_str());
        } catch (const std::exception& ex) {
            ccLog("%s", ex.what());
        } catch (...) {
            ccLog("unknown exception");
        }
    }
    std::abort();
}

void ccInstallTerminateHandler() { std::set_terminate(logUncaught); }
