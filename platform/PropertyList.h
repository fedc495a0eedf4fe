#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// A property-list value: string, integer, real, boolean, date, data, array
// or dictionary (keys are strings, kept sorted).
class PlistValue {
public:
    using Array = std::vector<PlistValue>;
    using Dictionary = std::map<std::string, PlistValue>;
    struct Date {
        double secondsSince2001 = 0;
        bool operator==(const Date&) const = default;
    };
    using Data = std::vector<uint8_t>;
    enum class Type { String, Integer, Real, Boolean, Date, Data, Array, Dictionary };

    PlistValue() : PlistValue(std::string()) {}
    PlistValue(std::string s) : value_(std::move(s)) {}
    PlistValue(const char* s) : value_(std::string(s)) {}
    PlistValue(int64_t i) : value_(i) {}
    PlistValue(int i) : value_(int64_t(i)) {}
    PlistValue(double d) : value_(d) {}
    PlistValue(bool b) : value_(b) {}
    PlistValue(Date d) : value_(d) {}
    PlistValue(Data d) : value_(std::move(d)) {}
    PlistValue(Array a) : value_(Box<Array>(std::move(a))) {}
    PlistValue(Dictionary d) : value_(Box<Dictionary>(std::move(d))) {}

    Type type() const { return Type(value_.index()); }

    // Typed access; null when the value is of another type.
    const std::string* string() const { return std::get_if<std::string>(&value_); }
    const int64_t* integer() const { return std::get_if<int64_t>(&value_); }
    const double* real() const { return std::get_if<double>(&value_); }
    const bool* boolean() const { return std::get_if<bool>(&value_); }
    const Date* date() const { return std::get_if<Date>(&value_); }
    const Data* data() const { return std::get_if<Data>(&value_); }
    const Array* array() const;
    const Dictionary* dictionary() const;

    // Integers and reals as a double; strings by their leading number;
    // anything else 0.
    double numberValue() const;

    bool operator==(const PlistValue& other) const;

private:
    template <class T>
    struct Box {
        std::unique_ptr<T> p;
        explicit Box(T v) : p(std::make_unique<T>(std::move(v))) {}
        Box(const Box& o) : p(std::make_unique<T>(*o.p)) {}
        Box(Box&&) noexcept = default;
        Box& operator=(const Box& o) {
            p = std::make_unique<T>(*o.p);
            return *this;
        }
        Box& operator=(Box&&) noexcept = default;
    };
    std::variant<std::string, int64_t, double, bool, Date, Data, Box<Array>, Box<Dictionary>>
        value_;
};

using PlistDictionary = PlistValue::Dictionary;

// Parses an XML property list (the compact binary form is not read).
// Nothing for malformed input of any kind and size: bad syntax or encoding,
// integers beyond 64 bits, impossible dates, nesting deeper than 256 levels.
// Of duplicate dictionary keys the last one counts.
std::optional<PlistValue> parsePropertyList(const uint8_t* bytes, size_t size);

// The XML form of `value`, with the standard header and document type,
// tab-indented. Reals are written so that they read back exactly; dates in
// whole seconds; bytes of strings that are not UTF-8 become U+FFFD. Nothing
// when a string holds a character no XML document may carry (a control
// other than tab, newline and carriage return; U+FFFE or U+FFFF).
std::optional<std::string> propertyListXml(const PlistValue& value);

// The dictionary stored at `path`; nothing when the file is missing,
// unreadable, damaged or does not hold a dictionary.
std::optional<PlistDictionary> readDictionary(const std::string& path);

// Writes `dictionary` as an XML plist, atomically. False when it could not,
// or when the dictionary cannot be written as XML (see propertyListXml) or
// read back (deeper than 256 levels): the old file, if any, is unchanged.
bool writeDictionary(const PlistDictionary& dictionary, const std::string& path);

} // namespace platform
