#include "platform/Json.h"

namespace platform {

std::optional<Json> parseJson(std::string_view text, size_t maxBytes, int maxDepth) {
    if (text.size() > maxBytes) return std::nullopt;
    bool tooDeep = false;
    Json::parser_callback_t limit = [&](int depth, Json::parse_event_t, Json&) {
        if (depth > maxDepth) tooDeep = true;
        return !tooDeep;
    };
    Json value = Json::parse(text.begin(), text.end(), limit, /*allow_exceptions=*/false);
    if (tooDeep || value.is_discarded()) return std::nullopt;
    return value;
}

std::string jsonString(const Json& object, const char* key, const std::string& fallback) {
    if (!object.is_object()) return fallback;
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return fallback;
    return it->get<std::string>();
}

} // namespace platform
