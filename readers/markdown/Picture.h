// SPDX-License-Identifier: MIT
#pragma once
// Pictures a Markdown document names by relative path: read, checked and sized for a frame.

#include "host/text/AnchoredFrame.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <variant>

namespace Readers::Markdown {

// The frame showing the picture at `url` (relative to `baseDir`), or why it cannot be shown.
// Pictures wider than a page are scaled down to fit one.
std::variant<Text::FrameSettings, std::string>
LoadPicture(const std::filesystem::path& baseDir, std::string_view url, const std::string& altText);

// Reads a local file named by a Markdown URL (percent-escapes decoded, no query or fragment).
// Empty with `problem` set when it is remote, absolute, missing or unreadable.
std::string ReadLocalFile(const std::filesystem::path& baseDir, std::string_view url,
                          std::filesystem::path& path, std::string& problem);

} // namespace Readers::Markdown
