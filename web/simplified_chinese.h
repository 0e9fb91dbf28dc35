// Traditional Chinese characters mapped to simplified ones, one character at
// a time as the platform's own mapping goes (no phrase rules). Internal to
// web/.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace web {

// `mapping` names the mapping: "Traditional-Simplified" is the one every
// system has. nullopt when the mapping is unknown or fails.
std::optional<std::u16string> map_to_simplified_units(std::u16string_view units, std::u16string_view mapping);

}  // namespace web
