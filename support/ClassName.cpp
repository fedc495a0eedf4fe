#include "support/ClassName.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>

std::string className(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    std::string s = status == 0 && name ? name.get() : type.name();
    if (auto colons = s.rfind("::"); colons != std::string::npos) s.erase(0, colons + 2);
    return s;
}
