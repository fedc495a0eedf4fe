#pragma once

#include <exception>
#include <string>

// The one failure type of the engine: both a failed assertion and a raised
// named error. Uncaught, it ends the program after its message is logged.
class Error : public std::exception {
public:
    Error(std::string name, std::string message)
        : name_(std::move(name)), message_(std::move(message)) {}

    const std::string& name() const { return name_; }
    const std::string& message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string name_;
    std::string message_;
};

// Name carried by failed assertions.
inline constexpr const char* kAssertionError = "Assertion";

[[noreturn]] void ccRaise(const std::string& name, const std::string& message);
[[noreturn]] void ccAssertionFailed(const std::string& message);

#define ccAssert(cond, message)                                                                    \
    do {                                                                                           \
        if (!(cond)) ccAssertionFailed(message);                                                   \
    } while (0)

// Installs a terminate handler that logs an uncaught Error's message as one
// line before the program ends.
void ccInstallTerminateHandler();
