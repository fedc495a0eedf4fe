#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string_view>

namespace platform {

using Json = nlohmann::json;

// Parses JSON text from outside the program. Nothing when it is not valid
// JSON, is longer than `maxBytes` or nests deeper than `maxDepth`.
std::optional<Json> parseJson(std::string_view text, size_t maxBytes = size_t(1) << 20,
                              int maxDepth = 32);

// The string at `key` of an object, or `fallback` when there is no such
// string.
std::string jsonString(const Json& object, const char* key, const std::string& fallback = {});

} // namespace platform
