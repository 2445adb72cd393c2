// SPDX-License-Identifier: MIT
#pragma once
// The notebook's postcards: pages the application lays out itself, exported as a fixed-layout
// EPUB 3 publication.

#include <filesystem>

// False, with the reason on standard error, when the publication could not be written.
bool ExportPostcards(const std::filesystem::path& path);
