#pragma once

#include <string>
#include <typeinfo>

// The readable (unmangled, unqualified) name of an object's dynamic class.
std::string className(const std::type_info& type);

template <class T>
std::string className(const T& object) {
    return className(typeid(object));
}
