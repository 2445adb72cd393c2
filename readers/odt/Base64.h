// SPDX-License-Identifier: MIT
#pragma once
// Pictures inside a flat document are written in base64 (office:binary-data).

#include <optional>
#include <string>
#include <string_view>

namespace Readers::Odt {

// White space is skipped; nullopt for any other character outside the alphabet.
std::optional<std::string> DecodeBase64(std::string_view text);

} // namespace Readers::Odt
