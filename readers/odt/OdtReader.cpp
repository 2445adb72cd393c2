// SPDX-License-Identifier: MIT
#include "readers/odt/OdtReader.h"

#include <fstream>
#include <sstream>

namespace Readers::Odt {

Document ReadOdt(std::string_view /*bytes*/, const std::string& sourceName,
                 const OdtOptions& /*options*/) {
    throw InputError(sourceName + ": OpenDocument text input is not supported yet");
}

Document ReadOdt(const std::filesystem::path& file, const OdtOptions& options) {
    return ReadOdtFile(file, file.string(), options);
}

Document ReadOdtFile(const std::filesystem::path& file, const std::string& sourceName,
                     const OdtOptions& options) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw InputError(sourceName + ": cannot read the file");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return ReadOdt(bytes.str(), sourceName, options);
}

} // namespace Readers::Odt
