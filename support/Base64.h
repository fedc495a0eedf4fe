#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Standard base64. Whitespace anywhere is ignored; padding is optional but
// only at the end. Nothing for anything else.
std::optional<std::vector<uint8_t>> ccBase64Decode(std::string_view text);
