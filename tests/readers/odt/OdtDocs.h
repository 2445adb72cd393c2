// SPDX-License-Identifier: MIT
#pragma once
// OpenDocument texts written in the tests: flat .fodt strings and zipped packages.

#include "readers/odt/OdtReader.h"

#include <string>
#include <utility>
#include <vector>

namespace OdtTest {

// A flat document: `styles` go into office:styles, `automatic` into office:automatic-styles,
// `body` into office:text; `meta` into office:meta.
std::string Fodt(const std::string& body, const std::string& styles = {},
                 const std::string& automatic = {}, const std::string& meta = {});
// A zipped package with the same parts: content.xml, styles.xml, meta.xml, plus `extra` files.
std::string Odt(const std::string& body, const std::string& styles = {},
                const std::string& automatic = {},
                const std::vector<std::pair<std::string, std::string>>& extra = {},
                bool deflate = true);

Readers::Document Read(const std::string& bytes, const Readers::Odt::OdtOptions& options = {});
// The InputError message reading `bytes` gives; empty when it reads.
std::string ErrorOf(const std::string& bytes, const Readers::Odt::OdtOptions& options = {});

// The label the host shows for the list paragraph holding `text` in the first story: the
// bullet, or prefix, number and suffix; empty for none.
std::string LabelOf(const Readers::Document& doc, const char* text);

} // namespace OdtTest
