#include "platform/PropertyList.h"

#include "platform/Files.h"
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

int base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Whitespace anywhere is ignored; padding is optional but only at the end.
std::optional<PlistValue::Data> decodeBase64(std::string_view s) {
    PlistValue::Data out;
    out.reserve(s.size() / 4 * 3);
    uint32_t bits = 0;
    int count = 0;
    size_t padding = 0;
    for (char c : s) {
        if (isSpace(c)) continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        int v = base64Digit(c);
        if (v < 0 || padding > 0) return std::nullopt;
        bits = (bits << 6) | uint32_t(v);
        if (++count == 4) {
            out.push_back(uint8_t(bits >> 16));
            out.push_back(uint8_t(bits >> 8));
            out.push_back(uint8_t(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 1 || padding > 2 || (padding > 0 && count + padding != 4)) return std::nullopt;
    if (count == 2) {
        out.push_back(uint8_t(bits >> 4));
    } else if (count == 3) {
        out.push_back(uint8_t(bits >> 10));
        out.push_back(uint8_t(bits >> 2));
    }
    return out;
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
// XML reader

constexpr int kMaxDepth = 256;

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '_' || c == ':' ||
           c == '-' || c == '.' || uint8_t(c) >= 0x80;
}

class XmlReader {
public:
    explicit XmlReader(std::string_view text) : s_(text) {}

    std::optional<PlistValue> document() {
        if (startsWith("\xEF\xBB\xBF")) i_ += 3;
        if (!prolog()) return std::nullopt;
        std::optional<PlistValue> result;
        size_t mark = i_;
        auto tag = openTag();
        if (!tag) return std::nullopt;
        if (tag->name == "plist") {
            if (tag->empty || !misc()) return std::nullopt;
            result = value(1);
            if (!result || !misc() || !closeTag("plist")) return std::nullopt;
        } else {
            i_ = mark;
            result = value(1);
            if (!result) return std::nullopt;
        }
        if (!misc() || i_ != s_.size()) return std::nullopt;
        return result;
    }

private:
    struct Tag {
        std::string_view name;
        bool empty = false;
    };

    bool startsWith(std::string_view t) const { return s_.substr(i_, t.size()) == t; }
    char peek(size_t ahead = 0) const { return i_ + ahead < s_.size() ? s_[i_ + ahead] : '\0'; }

    void skipSpace() {
        while (i_ < s_.size() && isSpace(s_[i_]))
            ++i_;
    }

    // Moves past the next `terminator`; false when there is none.
    bool skipPast(std::string_view terminator) {
        size_t at = s_.find(terminator, i_);
        if (at == std::string_view::npos) return false;
        i_ = at + terminator.size();
        return true;
    }

    // Whitespace, comments and processing instructions. False on an
    // unterminated one.
    bool misc() {
        for (;;) {
            skipSpace();
            if (startsWith("<!--")) {
                i_ += 4;
                if (!skipPast("-->")) return false;
            } else if (startsWith("<?")) {
                i_ += 2;
                if (!skipPast("?>")) return false;
            } else {
                return true;
            }
        }
    }

    // Misc and document type declarations (quoted literals and an internal
    // subset may hold '>').
    bool prolog() {
        for (;;) {
            if (!misc()) return false;
            if (!startsWith("<!DOCTYPE")) return true;
            i_ += 9;
            int brackets = 0;
            char quote = 0;
            for (;; ++i_) {
                if (i_ >= s_.size()) return false;
                char c = s_[i_];
                if (quote) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '[') {
                    ++brackets;
                } else if (c == ']') {
                    if (--brackets < 0) return false;
                } else if (c == '>' && brackets == 0) {
                    ++i_;
                    break;
                }
            }
        }
    }

    std::string_view name() {
        size_t start = i_;
        while (i_ < s_.size() && isNameChar(s_[i_]))
            ++i_;
        return s_.substr(start, i_ - start);
    }

    // `<name attr="v" ...>` or `<name .../>`; attributes are checked for
    // form and otherwise ignored.
    std::optional<Tag> openTag() {
        if (peek() != '<') return std::nullopt;
        ++i_;
        Tag tag;
        tag.name = name();
        if (tag.name.empty()) return std::nullopt;
        for (;;) {
            size_t before = i_;
            skipSpace();
            if (startsWith("/>")) {
                i_ += 2;
                tag.empty = true;
                return tag;
            }
            if (peek() == '>') {
                ++i_;
                return tag;
            }
            if (i_ == before || name().empty()) return std::nullopt;
            skipSpace();
            if (peek() != '=') return std::nullopt;
            ++i_;
            skipSpace();
            char quote = peek();
            if (quote != '"' && quote != '\'') return std::nullopt;
            size_t end = s_.find(quote, i_ + 1);
            if (end == std::string_view::npos) return std::nullopt;
            if (s_.substr(i_ + 1, end - i_ - 1).find('<') != std::string_view::npos)
                return std::nullopt;
            i_ = end + 1;
        }
    }

    bool closeTag(std::string_view expected) {
        if (!startsWith("</")) return false;
        i_ += 2;
        if (name() != expected) return false;
        skipSpace();
        if (peek() != '>') return false;
        ++i_;
        return true;
    }

    // &lt; &gt; &amp; &quot; &apos; &#NN; &#xNN; at s_[i_] == '&'.
    bool entity(std::string& out) {
        // References are short: look for the ';' nearby only.
        size_t end = s_.substr(i_, 40).find(';');
        if (end == std::string_view::npos) return false;
        std::string_view ref = s_.substr(i_ + 1, end - 1);
        i_ += end + 1;
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
            int base = 10;
            ref.remove_prefix(1);
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
        return true;
    }

    // Character data up to `</name>`, with references resolved; comments
    // are dropped and CDATA sections taken as they stand. Nested elements
    // are malformed.
    std::optional<std::string> text(std::string_view elementName) {
        std::string out;
        for (;;) {
            size_t special = s_.find_first_of("<&", i_);
            if (special == std::string_view::npos) return std::nullopt;
            out.append(s_.substr(i_, special - i_));
            i_ = special;
            if (s_[i_] == '&') {
                if (!entity(out)) return std::nullopt;
            } else if (startsWith("</")) {
                if (!closeTag(elementName)) return std::nullopt;
                return out;
            } else if (startsWith("<!--")) {
                i_ += 4;
                if (!skipPast("-->")) return std::nullopt;
            } else if (startsWith("<![CDATA[")) {
                i_ += 9;
                size_t end = s_.find("]]>", i_);
                if (end == std::string_view::npos) return std::nullopt;
                out.append(s_.substr(i_, end - i_));
                i_ = end + 3;
            } else if (startsWith("<?")) {
                i_ += 2;
                if (!skipPast("?>")) return std::nullopt;
            } else {
                return std::nullopt;
            }
        }
    }

    static std::string_view trimmed(std::string_view s) {
        while (!s.empty() && isSpace(s.front()))
            s.remove_prefix(1);
        while (!s.empty() && isSpace(s.back()))
            s.remove_suffix(1);
        return s;
    }

    static std::optional<int64_t> parseInteger(std::string_view s) {
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

    static std::optional<double> parseReal(std::string_view s) {
        s = trimmed(s);
        std::string lower;
        for (char c : s)
            lower += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (lower == "nan" || lower == "+nan" || lower == "-nan")
            return std::numeric_limits<double>::quiet_NaN();
        if (lower == "inf" || lower == "+inf" || lower == "infinity" || lower == "+infinity")
            return std::numeric_limits<double>::infinity();
        if (lower == "-inf" || lower == "-infinity")
            return -std::numeric_limits<double>::infinity();
        if (s.empty() || decimalPrefix(s) != s.size()) return std::nullopt;
        return parseDecimal(std::string(s));
    }

    std::optional<PlistValue> value(int depth) {
        if (depth > kMaxDepth) return std::nullopt;
        auto tag = openTag();
        if (!tag) return std::nullopt;
        std::string_view n = tag->name;

        if (n == "dict") {
            PlistValue::Dictionary dict;
            if (tag->empty) return PlistValue(std::move(dict));
            for (;;) {
                if (!misc()) return std::nullopt;
                if (startsWith("</")) {
                    if (!closeTag("dict")) return std::nullopt;
                    return PlistValue(std::move(dict));
                }
                auto keyTag = openTag();
                if (!keyTag || keyTag->name != "key") return std::nullopt;
                std::string key;
                if (!keyTag->empty) {
                    auto k = text("key");
                    if (!k) return std::nullopt;
                    key = std::move(*k);
                }
                if (!misc()) return std::nullopt;
                auto v = value(depth + 1);
                if (!v) return std::nullopt;
                dict.insert_or_assign(std::move(key), std::move(*v));
            }
        }
        if (n == "array") {
            PlistValue::Array array;
            if (tag->empty) return PlistValue(std::move(array));
            for (;;) {
                if (!misc()) return std::nullopt;
                if (startsWith("</")) {
                    if (!closeTag("array")) return std::nullopt;
                    return PlistValue(std::move(array));
                }
                auto v = value(depth + 1);
                if (!v) return std::nullopt;
                array.push_back(std::move(*v));
            }
        }
        if (n == "true" || n == "false") {
            if (!tag->empty) {
                auto t = text(n);
                if (!t || !trimmed(*t).empty()) return std::nullopt;
            }
            return PlistValue(n == "true");
        }

        std::string content;
        if (!tag->empty) {
            auto t = text(n);
            if (!t) return std::nullopt;
            content = std::move(*t);
        }
        if (n == "string") return PlistValue(std::move(content));
        if (n == "integer") {
            auto i = parseInteger(content);
            if (!i) return std::nullopt;
            return PlistValue(*i);
        }
        if (n == "real") {
            auto r = parseReal(content);
            if (!r) return std::nullopt;
            return PlistValue(*r);
        }
        if (n == "date") {
            auto d = parseDate(trimmed(content));
            if (!d) return std::nullopt;
            return PlistValue(*d);
        }
        if (n == "data") {
            auto d = decodeBase64(content);
            if (!d) return std::nullopt;
            return PlistValue(std::move(*d));
        }
        return std::nullopt;
    }

    std::string_view s_;
    size_t i_ = 0;
};

// ---------------------------------------------------------------------------
// Binary reader ("bplist00"): every offset, size and reference is checked,
// reference cycles end at the depth limit and shared objects count against
// a budget so that a small file cannot expand without bound.

class BinaryReader {
public:
    BinaryReader(const uint8_t* bytes, size_t size) : b_(bytes), n_(size) {}

    std::optional<PlistValue> document() {
        if (n_ < 8 + 32 + 1 || std::memcmp(b_, "bplist00", 8) != 0) return std::nullopt;
        const uint8_t* trailer = b_ + n_ - 32;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        uint64_t count = be(trailer + 8, 8);
        uint64_t top = be(trailer + 16, 8);
        uint64_t table = be(trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return std::nullopt;
        uint64_t objectsEnd = n_ - 32;
        if (count == 0 || top >= count || table < 8 || table > objectsEnd ||
            count > (objectsEnd - table) / offsetSize_)
            return std::nullopt;
        count_ = count;
        table_ = table;
        budget_ = (uint64_t(1) << 20) + uint64_t(n_) * 64;
        return object(top, 1);
    }

private:
    static uint64_t be(const uint8_t* p, size_t width) {
        uint64_t v = 0;
        for (size_t k = 0; k < width; ++k)
            v = (v << 8) | p[k];
        return v;
    }

    bool spend(uint64_t cost) {
        if (cost > budget_) return false;
        budget_ -= cost;
        return true;
    }

    // Offset of object `ref`, checked to lie before the offset table.
    std::optional<uint64_t> offsetOf(uint64_t ref) const {
        if (ref >= count_) return std::nullopt;
        uint64_t at = be(b_ + table_ + ref * offsetSize_, offsetSize_);
        if (at < 8 || at >= table_) return std::nullopt;
        return at;
    }

    bool has(uint64_t at, uint64_t length) const { return at <= table_ && length <= table_ - at; }

    // The element count of a collection, string or data object whose marker
    // is at `at`; moves `at` past the count.
    std::optional<uint64_t> length(uint64_t& at) {
        uint8_t low = b_[at] & 0x0F;
        ++at;
        if (low != 0x0F) return low;
        if (!has(at, 1)) return std::nullopt;
        uint8_t marker = b_[at];
        if ((marker & 0xF0) != 0x10 || (marker & 0x0F) > 3) return std::nullopt;
        uint64_t width = uint64_t(1) << (marker & 0x0F);
        if (!has(at + 1, width)) return std::nullopt;
        uint64_t v = be(b_ + at + 1, width);
        at += 1 + width;
        return v;
    }

    std::optional<PlistValue> object(uint64_t ref, int depth) {
        if (depth > kMaxDepth || !spend(1)) return std::nullopt;
        auto start = offsetOf(ref);
        if (!start) return std::nullopt;
        uint64_t at = *start;
        uint8_t marker = b_[at];
        uint8_t low = marker & 0x0F;
        switch (marker >> 4) {
        case 0x0:
            if (marker == 0x08) return PlistValue(false);
            if (marker == 0x09) return PlistValue(true);
            return std::nullopt;
        case 0x1: {
            if (low > 4) return std::nullopt;
            uint64_t width = uint64_t(1) << low;
            if (!has(at + 1, width)) return std::nullopt;
            const uint8_t* p = b_ + at + 1;
            if (width == 16) {
                // 128-bit: only values that fit 64 bits signed.
                uint64_t high = be(p, 8), lowWord = be(p + 8, 8);
                bool negative = int64_t(lowWord) < 0;
                if (high != (negative ? ~uint64_t(0) : 0)) return std::nullopt;
                return PlistValue(int64_t(lowWord));
            }
            // Below 64 bits unsigned, at 64 bits two's complement.
            return PlistValue(int64_t(be(p, width)));
        }
        case 0x2: {
            if (low == 2 && has(at + 1, 4)) {
                uint32_t bits = uint32_t(be(b_ + at + 1, 4));
                float f;
                std::memcpy(&f, &bits, 4);
                return PlistValue(double(f));
            }
            if (low == 3 && has(at + 1, 8)) return PlistValue(readDouble(at + 1));
            return std::nullopt;
        }
        case 0x3:
            if (marker != 0x33 || !has(at + 1, 8)) return std::nullopt;
            return PlistValue(PlistValue::Date{readDouble(at + 1)});
        case 0x4: {
            auto len = length(at);
            if (!len || !has(at, *len) || !spend(*len)) return std::nullopt;
            return PlistValue(PlistValue::Data(b_ + at, b_ + at + *len));
        }
        case 0x5: {
            auto len = length(at);
            if (!len || !has(at, *len) || !spend(*len)) return std::nullopt;
            std::string s(reinterpret_cast<const char*>(b_ + at), size_t(*len));
            for (char c : s)
                if (uint8_t(c) >= 0x80) return std::nullopt;
            return PlistValue(std::move(s));
        }
        case 0x6: {
            auto len = length(at);
            if (!len || *len > table_ / 2 || !has(at, *len * 2) || !spend(*len * 2))
                return std::nullopt;
            std::string s;
            for (uint64_t k = 0; k < *len; ++k) {
                uint32_t unit = uint32_t(be(b_ + at + 2 * k, 2));
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    if (k + 1 >= *len) return std::nullopt;
                    uint32_t next = uint32_t(be(b_ + at + 2 * (k + 1), 2));
                    if (next < 0xDC00 || next > 0xDFFF) return std::nullopt;
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
                    ++k;
                } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                    return std::nullopt;
                }
                appendUtf8(s, unit);
            }
            return PlistValue(std::move(s));
        }
        case 0xA: {
            auto len = length(at);
            if (!len || *len > table_ / refSize_ || !has(at, *len * refSize_) || !spend(*len))
                return std::nullopt;
            PlistValue::Array array;
            array.reserve(size_t(std::min<uint64_t>(*len, 4096)));
            for (uint64_t k = 0; k < *len; ++k) {
                auto v = object(be(b_ + at + k * refSize_, refSize_), depth + 1);
                if (!v) return std::nullopt;
                array.push_back(std::move(*v));
            }
            return PlistValue(std::move(array));
        }
        case 0xD: {
            auto len = length(at);
            if (!len || *len > table_ / (2 * refSize_) || !has(at, *len * 2 * refSize_) ||
                !spend(*len))
                return std::nullopt;
            PlistValue::Dictionary dict;
            uint64_t values = at + *len * refSize_;
            for (uint64_t k = 0; k < *len; ++k) {
                auto key = object(be(b_ + at + k * refSize_, refSize_), depth + 1);
                if (!key || !key->string()) return std::nullopt;
                auto v = object(be(b_ + values + k * refSize_, refSize_), depth + 1);
                if (!v) return std::nullopt;
                dict.insert_or_assign(*key->string(), std::move(*v));
            }
            return PlistValue(std::move(dict));
        }
        default:
            return std::nullopt;
        }
    }

    double readDouble(uint64_t at) const {
        uint64_t bits = be(b_ + at, 8);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }

    const uint8_t* b_;
    size_t n_;
    size_t offsetSize_ = 0;
    size_t refSize_ = 0;
    uint64_t count_ = 0;
    uint64_t table_ = 0;
    uint64_t budget_ = 0;
};

// ---------------------------------------------------------------------------
// XML writer

// Markup characters and controls become references; invalid UTF-8 becomes
// U+FFFD so that what is written can always be read back.
void appendEscaped(std::string& out, std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        uint8_t c = uint8_t(s[i]);
        if (c < 0x80) {
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '\t':
            case '\n':
                out += char(c);
                break;
            default:
                if (c < 0x20) {
                    out += "&#" + std::to_string(c) + ";";
                } else {
                    out += char(c);
                }
            }
            ++i;
            continue;
        }
        size_t n = utf8Sequence(s, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
}

std::string formatReal(double d) {
    if (std::isnan(d)) return "nan";
    if (std::isinf(d)) return d > 0 ? "+infinity" : "-infinity";
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, d); // shortest exact form
    return std::string(buf, result.ptr);
}

void writeValue(std::string& out, const PlistValue& v, int depth) {
    std::string indent(size_t(depth), '\t');
    out += indent;
    switch (v.type()) {
    case PlistValue::Type::String:
        out += "<string>";
        appendEscaped(out, *v.string());
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
            writeValue(out, item, depth + 1);
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
            appendEscaped(out, key);
            out += "</key>\n";
            writeValue(out, item, depth + 1);
        }
        out += indent + "</dict>\n";
        break;
    }
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
    if (size >= 8 && std::memcmp(bytes, "bplist00", 8) == 0)
        return BinaryReader(bytes, size).document();
    std::string_view text(reinterpret_cast<const char*>(bytes), size);
    if (!isValidUtf8(text) || text.find('\0') != std::string_view::npos) return std::nullopt;
    return XmlReader(text).document();
}

std::string propertyListXml(const PlistValue& value) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    writeValue(out, value, 0);
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
    // What the reader would refuse is not written.
    if (nesting(root) > kMaxDepth) return false;
    std::string xml = propertyListXml(root);
    return writeFileAtomically(path, xml.data(), xml.size());
}

} // namespace platform
