#include "platform/PropertyList.h"

#include "platform/Files.h"
#include "support/Base64.h"
#include "support/Log.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <mutex>
#include <set>
#include <string_view>

#include <pugixml.hpp>

namespace platform {

// ---------------------------------------------------------------------------
// Values

const PlistValue::Array* PlistValue::array() const {
    auto* box = std::get_if<Box<Array>>(&value_);
    return box ? box->p.get() : nullptr;
}

const PlistValue::Dictionary* PlistValue::dictionary() const {
    auto* box = std::get_if<Box<Dictionary>>(&value_);
    return box ? box->p.get() : nullptr;
}

namespace {

// Parses the C-locale floating-point number spelled by `text` exactly (the
// caller has checked its syntax). The program's locale may use a decimal
// comma, so plain strtod() cannot be used.
double parseDecimal(const std::string& text) {
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return cLocale ? strtod_l(text.c_str(), nullptr, cLocale) : std::strtod(text.c_str(), nullptr);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the longest prefix of `s` of the form
// [+-] digits [. digits] [e [+-] digits] with at least one mantissa digit;
// 0 when there is none.
size_t decimalPrefix(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        size_t j = i + 1;
        size_t fraction = 0;
        while (j < s.size() && isDigit(s[j]))
            ++j, ++fraction;
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

} // namespace

double PlistValue::numberValue() const {
    if (auto* i = integer()) return double(*i);
    if (auto* r = real()) return *r;
    if (auto* s = string()) {
        std::string_view text(*s);
        size_t start = 0;
        while (start < text.size() &&
               (text[start] == ' ' || text[start] == '\t' || text[start] == '\n' ||
                text[start] == '\r' || text[start] == '\v' || text[start] == '\f'))
            ++start;
        text.remove_prefix(start);
        size_t length = decimalPrefix(text);
        return length ? parseDecimal(std::string(text.substr(0, length))) : 0.0;
    }
    return 0.0;
}

bool PlistValue::operator==(const PlistValue& other) const {
    if (type() != other.type()) return false;
    switch (type()) {
    case Type::String:
        return *string() == *other.string();
    case Type::Integer:
        return *integer() == *other.integer();
    case Type::Real:
        // NaN reads back as NaN; treat it as equal to itself.
        return *real() == *other.real() || (std::isnan(*real()) && std::isnan(*other.real()));
    case Type::Boolean:
        return *boolean() == *other.boolean();
    case Type::Date:
        return *date() == *other.date();
    case Type::Data:
        return *data() == *other.data();
    case Type::Array:
        return *array() == *other.array();
    case Type::Dictionary:
        return *dictionary() == *other.dictionary();
    }
    return false;
}

// ---------------------------------------------------------------------------
// Dates: seconds since 2001-01-01T00:00:00Z <-> calendar fields

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's method).
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int64_t& y, int& m, int& d) {
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

bool isLeap(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int64_t y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

const int64_t kEpoch2001 = daysFromCivil(2001, 1, 1);
// The years a four-digit date can spell.
const int64_t kFirstDateSecond = (daysFromCivil(0, 1, 1) - kEpoch2001) * 86400;
const int64_t kLastDateSecond = (daysFromCivil(9999, 12, 31) - kEpoch2001) * 86400 + 86399;

// "YYYY-MM-DDTHH:MM:SSZ"
std::optional<PlistValue::Date> parseDate(std::string_view s) {
    if (s.size() != 20 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' ||
        s[16] != ':' || s[19] != 'Z')
        return std::nullopt;
    auto field = [&](size_t at, size_t width, int& out) {
        out = 0;
        for (size_t k = at; k < at + width; ++k) {
            if (!isDigit(s[k])) return false;
            out = out * 10 + (s[k] - '0');
        }
        return true;
    };
    int year, month, day, hour, minute, second;
    if (!field(0, 4, year) || !field(5, 2, month) || !field(8, 2, day) || !field(11, 2, hour) ||
        !field(14, 2, minute) || !field(17, 2, second))
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return std::nullopt;
    int64_t days = daysFromCivil(year, month, day) - kEpoch2001;
    return PlistValue::Date{double(days * 86400 + hour * 3600 + minute * 60 + second)};
}

// Whole seconds only, clamped to the four-digit years.
std::string formatDate(PlistValue::Date date) {
    double t = std::floor(date.secondsSince2001);
    int64_t secs;
    if (std::isnan(t))
        secs = 0;
    else if (t <= double(kFirstDateSecond))
        secs = kFirstDateSecond;
    else if (t >= double(kLastDateSecond))
        secs = kLastDateSecond;
    else
        secs = int64_t(t);
    int64_t days = secs / 86400;
    int64_t rem = secs % 86400;
    if (rem < 0) rem += 86400, --days;
    int64_t y;
    int m, d;
    civilFromDays(days + kEpoch2001, y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", int(y), m, d, int(rem / 3600),
                  int(rem / 60 % 60), int(rem % 60));
    return buf;
}

// ---------------------------------------------------------------------------
// Base64

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void encodeBase64(std::string& out, const PlistValue::Data& data, const std::string& indent) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const size_t perLine = 57; // bytes per 76-character line
    for (size_t line = 0; line < data.size(); line += perLine) {
        out += indent;
        size_t end = std::min(data.size(), line + perLine);
        for (size_t i = line; i < end; i += 3) {
            uint32_t n = uint32_t(data[i]) << 16;
            if (i + 1 < end) n |= uint32_t(data[i + 1]) << 8;
            if (i + 2 < end) n |= data[i + 2];
            out += digits[(n >> 18) & 63];
            out += digits[(n >> 12) & 63];
            out += i + 1 < end ? digits[(n >> 6) & 63] : '=';
            out += i + 2 < end ? digits[n & 63] : '=';
        }
        out += '\n';
    }
}

// ---------------------------------------------------------------------------
// UTF-8

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Length of the well-formed UTF-8 sequence at s[i] (no overlongs, no
// surrogates, nothing past U+10FFFF); 0 when it is not one.
size_t utf8Sequence(std::string_view s, size_t i) {
    auto byte = [&](size_t k) { return k < s.size() ? uint8_t(s[k]) : uint8_t(0); };
    auto cont = [&](size_t k) { return (byte(k) & 0xC0) == 0x80; };
    uint8_t b = byte(i);
    if (i >= s.size()) return 0;
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) return cont(i + 1) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        uint8_t b1 = byte(i + 1);
        if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 > 0x9F)) return 0;
        return cont(i + 1) && cont(i + 2) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        uint8_t b1 = byte(i + 1);
        if ((b == 0xF0 && b1 < 0x90) || (b == 0xF4 && b1 > 0x8F)) return 0;
        return cont(i + 1) && cont(i + 2) && cont(i + 3) ? 4 : 0;
    }
    return 0;
}

bool isValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        if (uint8_t(s[i]) < 0x80) {
            ++i;
            continue;
        }
        size_t n = utf8Sequence(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// ---------------------------------------------------------------------------
// XML reader: pugixml makes the tree (declarations, comments, processing
// instructions and document types are skipped); the values are read off it
// here. References are resolved here too, so that an unknown one is refused
// rather than kept as text.

constexpr int kMaxDepth = 256;

// Top-level text is kept so that it can be refused; blanks between elements
// are kept so that a string of spaces keeps its spaces.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_ws_pcdata | pugi::parse_fragment;

bool isBlank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), isSpace);
}

// &lt; &gt; &amp; &quot; &apos; &#NN; &#xNN; resolved; false on anything else.
bool appendResolved(std::string& out, std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        size_t amp = s.find('&', i);
        out.append(s.substr(i, amp - i));
        if (amp == std::string_view::npos) break;
        size_t end = s.find(';', amp);
        if (end == std::string_view::npos) return false;
        std::string_view ref = s.substr(amp + 1, end - amp - 1);
        i = end + 1;
        if (ref == "lt") {
            out += '<';
        } else if (ref == "gt") {
            out += '>';
        } else if (ref == "amp") {
            out += '&';
        } else if (ref == "quot") {
            out += '"';
        } else if (ref == "apos") {
            out += '\'';
        } else if (ref.size() >= 2 && ref[0] == '#') {
            ref.remove_prefix(1);
            int base = 10;
            if (ref[0] == 'x') {
                base = 16;
                ref.remove_prefix(1);
            }
            if (ref.empty()) return false;
            uint32_t cp = 0;
            for (char c : ref) {
                int digit;
                if (isDigit(c))
                    digit = c - '0';
                else if (base == 16 && c >= 'a' && c <= 'f')
                    digit = c - 'a' + 10;
                else if (base == 16 && c >= 'A' && c <= 'F')
                    digit = c - 'A' + 10;
                else
                    return false;
                cp = cp * uint32_t(base) + uint32_t(digit);
                if (cp > 0x10FFFF) return false;
            }
            if (cp >= 0xD800 && cp <= 0xDFFF) return false;
            appendUtf8(out, cp);
        } else {
            return false;
        }
    }
    return true;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

std::optional<int64_t> parseInteger(std::string_view s) {
    s = trimmed(s);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    // Accumulate the magnitude, which may be one more than INT64_MAX.
    uint64_t magnitude = 0;
    const uint64_t limit = negative ? uint64_t(1) << 63 : uint64_t(INT64_MAX);
    for (char c : s) {
        if (!isDigit(c)) return std::nullopt;
        uint64_t digit = uint64_t(c - '0');
        if (magnitude > (limit - digit) / 10) return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    if (!negative) return int64_t(magnitude);
    return magnitude == uint64_t(1) << 63 ? std::numeric_limits<int64_t>::min()
                                          : -int64_t(magnitude);
}

std::optional<double> parseReal(std::string_view s) {
    s = trimmed(s);
    std::string lower;
    for (char c : s)
        lower += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "nan" || lower == "+nan" || lower == "-nan")
        return std::numeric_limits<double>::quiet_NaN();
    if (lower == "inf" || lower == "+inf" || lower == "infinity" || lower == "+infinity")
        return std::numeric_limits<double>::infinity();
    if (lower == "-inf" || lower == "-infinity") return -std::numeric_limits<double>::infinity();
    if (s.empty() || decimalPrefix(s) != s.size()) return std::nullopt;
    return parseDecimal(std::string(s));
}

// Attributes are ignored, but a '<' in one is not XML.
bool attributesWellFormed(pugi::xml_node element) {
    for (pugi::xml_attribute a : element.attributes())
        if (std::strchr(a.value(), '<')) return false;
    return true;
}

// The character data of an element that holds no elements.
std::optional<std::string> textOf(pugi::xml_node element) {
    std::string out;
    for (pugi::xml_node child : element.children()) {
        if (child.type() == pugi::node_pcdata) {
            if (!appendResolved(out, child.value())) return std::nullopt;
        } else if (child.type() == pugi::node_cdata) {
            out += child.value();
        } else {
            return std::nullopt;
        }
    }
    return out;
}

// The elements among `parent`'s children; nothing when there is text
// other than blanks between them.
std::optional<std::vector<pugi::xml_node>> elementsOf(pugi::xml_node parent) {
    std::vector<pugi::xml_node> elements;
    for (pugi::xml_node child : parent.children()) {
        if (child.type() == pugi::node_element)
            elements.push_back(child);
        else if (child.type() != pugi::node_pcdata || !isBlank(child.value()))
            return std::nullopt;
    }
    return elements;
}

std::optional<PlistValue> valueOf(pugi::xml_node element, int depth) {
    if (depth > kMaxDepth || !attributesWellFormed(element)) return std::nullopt;
    std::string_view name = element.name();

    if (name == "dict" || name == "array") {
        auto children = elementsOf(element);
        if (!children) return std::nullopt;
        if (name == "array") {
            PlistValue::Array array;
            for (pugi::xml_node child : *children) {
                auto v = valueOf(child, depth + 1);
                if (!v) return std::nullopt;
                array.push_back(std::move(*v));
            }
            return PlistValue(std::move(array));
        }
        // Keys and values take turns; of duplicate keys the last one counts.
        if (children->size() % 2) return std::nullopt;
        PlistValue::Dictionary dict;
        for (size_t i = 0; i < children->size(); i += 2) {
            pugi::xml_node keyElement = (*children)[i];
            if (std::string_view(keyElement.name()) != "key" || !attributesWellFormed(keyElement))
                return std::nullopt;
            auto key = textOf(keyElement);
            auto v = key ? valueOf((*children)[i + 1], depth + 1) : std::nullopt;
            if (!v) return std::nullopt;
            dict.insert_or_assign(std::move(*key), std::move(*v));
        }
        return PlistValue(std::move(dict));
    }

    auto content = textOf(element);
    if (!content) return std::nullopt;
    if (name == "true" || name == "false") {
        if (!trimmed(*content).empty()) return std::nullopt;
        return PlistValue(name == "true");
    }
    if (name == "string") return PlistValue(std::move(*content));
    if (name == "integer") {
        auto i = parseInteger(*content);
        if (!i) return std::nullopt;
        return PlistValue(*i);
    }
    if (name == "real") {
        auto r = parseReal(*content);
        if (!r) return std::nullopt;
        return PlistValue(*r);
    }
    if (name == "date") {
        auto d = parseDate(trimmed(*content));
        if (!d) return std::nullopt;
        return PlistValue(*d);
    }
    if (name == "data") {
        auto d = ccBase64Decode(*content);
        if (!d) return std::nullopt;
        return PlistValue(std::move(*d));
    }
    return std::nullopt;
}

// One value, inside <plist> or standing alone, and nothing else but blanks.
std::optional<PlistValue> readXml(std::string_view text) {
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8))
        return std::nullopt;
    auto top = elementsOf(document);
    if (!top || top->size() != 1) return std::nullopt;
    pugi::xml_node root = top->front();
    if (std::string_view(root.name()) == "plist") {
        auto inside = attributesWellFormed(root) ? elementsOf(root) : std::nullopt;
        if (!inside || inside->size() != 1) return std::nullopt;
        root = inside->front();
    }
    return valueOf(root, 1);
}

// ---------------------------------------------------------------------------
// XML writer

// Code points XML 1.0 documents may carry (its Char production).
bool isXmlChar(uint32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

uint32_t decodeUtf8(std::string_view s, size_t i, size_t n) {
    static const uint8_t leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    uint32_t cp = uint8_t(s[i]) & leadMask[n];
    for (size_t k = 1; k < n; ++k)
        cp = (cp << 6) | (uint8_t(s[i + k]) & 0x3F);
    return cp;
}

// Markup characters become references (a carriage return too, which a
// reader would otherwise turn into a newline); invalid UTF-8 becomes U+FFFD
// so that what is written can always be read back. False for a character
// no XML document may hold (controls other than tab, newline and return,
// U+FFFE, U+FFFF): the file would not be XML.
bool appendEscaped(std::string& out, std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        size_t n = utf8Sequence(s, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        uint32_t cp = decodeUtf8(s, i, n);
        if (!isXmlChar(cp)) return false;
        switch (cp) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out.append(s.substr(i, n));
        }
        i += n;
    }
    return true;
}

std::string formatReal(double d) {
    if (std::isnan(d)) return "nan";
    if (std::isinf(d)) return d > 0 ? "+infinity" : "-infinity";
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, d); // shortest exact form
    return std::string(buf, result.ptr);
}

bool writeValue(std::string& out, const PlistValue& v, int depth) {
    std::string indent(size_t(depth), '\t');
    out += indent;
    switch (v.type()) {
    case PlistValue::Type::String:
        out += "<string>";
        if (!appendEscaped(out, *v.string())) return false;
        out += "</string>\n";
        break;
    case PlistValue::Type::Integer:
        out += "<integer>" + std::to_string(*v.integer()) + "</integer>\n";
        break;
    case PlistValue::Type::Real:
        out += "<real>" + formatReal(*v.real()) + "</real>\n";
        break;
    case PlistValue::Type::Boolean:
        out += *v.boolean() ? "<true/>\n" : "<false/>\n";
        break;
    case PlistValue::Type::Date:
        out += "<date>" + formatDate(*v.date()) + "</date>\n";
        break;
    case PlistValue::Type::Data:
        out += "<data>\n";
        encodeBase64(out, *v.data(), indent);
        out += indent + "</data>\n";
        break;
    case PlistValue::Type::Array:
        if (v.array()->empty()) {
            out += "<array/>\n";
            break;
        }
        out += "<array>\n";
        for (auto& item : *v.array())
            if (!writeValue(out, item, depth + 1)) return false;
        out += indent + "</array>\n";
        break;
    case PlistValue::Type::Dictionary:
        if (v.dictionary()->empty()) {
            out += "<dict/>\n";
            break;
        }
        out += "<dict>\n";
        for (auto& [key, item] : *v.dictionary()) {
            out += indent + "\t<key>";
            if (!appendEscaped(out, key)) return false;
            out += "</key>\n";
            if (!writeValue(out, item, depth + 1)) return false;
        }
        out += indent + "</dict>\n";
        break;
    }
    return true;
}

int nesting(const PlistValue& v) {
    int deepest = 0;
    if (auto* a = v.array())
        for (auto& item : *a)
            deepest = std::max(deepest, nesting(item));
    if (auto* d = v.dictionary())
        for (auto& [key, item] : *d)
            deepest = std::max(deepest, nesting(item));
    return deepest + 1;
}

} // namespace

// ---------------------------------------------------------------------------

std::optional<PlistValue> parsePropertyList(const uint8_t* bytes, size_t size) {
    if (!bytes) return std::nullopt;
    std::string_view text(reinterpret_cast<const char*>(bytes), size);
    if (!isValidUtf8(text) || text.find('\0') != std::string_view::npos) return std::nullopt;
    return readXml(text);
}

std::optional<std::string> propertyListXml(const PlistValue& value) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    if (!writeValue(out, value, 0)) return std::nullopt;
    out += "</plist>\n";
    return out;
}

std::optional<PlistDictionary> readDictionary(const std::string& path) {
    if (!fileExists(path)) return std::nullopt;
    auto bytes = readFile(path);
    std::optional<PlistValue> value;
    if (bytes) value = parsePropertyList(bytes->data(), bytes->size());
    if (value && value->dictionary()) return *value->dictionary();
    // A damaged saved file reads as missing; say so once per file.
    static std::mutex loggedMutex;
    static std::set<std::string> logged;
    std::lock_guard lock(loggedMutex);
    if (logged.insert(path).second)
        ccLog("Property list %s is damaged or not a dictionary; using defaults", path.c_str());
    return std::nullopt;
}

bool writeDictionary(const PlistDictionary& dictionary, const std::string& path) {
    PlistValue root(dictionary);
    // What the reader would refuse, or XML cannot hold, is not written.
    if (nesting(root) > kMaxDepth) return false;
    auto xml = propertyListXml(root);
    return xml && writeFileAtomically(path, xml->data(), xml->size());
}

} // namespace platform
