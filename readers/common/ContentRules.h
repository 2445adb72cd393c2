// SPDX-License-Identifier: MIT
#pragma once
// What a document may carry into a publication: link targets a reading system can follow, and
// pictures it can show.

#include <string>
#include <string_view>

namespace Readers {

// A link target a reading system can follow (http, https, ftp, mailto; a bare "www." address
// gets "http://"), with spaces and other characters URLs cannot hold escaped; empty for
// anything else (files on the author's disk, scripts).
std::string FollowableUrl(std::string_view target);
// No script, event handler or javascript: link in an SVG picture.
bool IsHarmlessSvg(std::string_view svg);
// TIFF and BMP pictures are no EPUB core media types: they come back as PNG; others unchanged.
std::string Publishable(std::string picture);
// Why the picture `data` (from `name`) cannot be shown: damaged, scripted SVG, a format without a
// bitmap fallback; empty when it can.
std::string PictureProblem(const std::string& data, std::string_view name);

} // namespace Readers
