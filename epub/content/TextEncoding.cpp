#include "epub/content/TextEncoding.h"

namespace EPub {

void AppendXMLEncoded(StringT& out, std::string_view text) {
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        switch (b) {
        case '"':
            out += "&quot;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            if (b != 0 && b < 32 && b != 9 && b != 10 && b != 13)
                out.AppendFormat("&#%1;", static_cast<int>(b));
            else
                out += ch;
        }
    }
}

StringT XMLEncode(std::string_view text) {
    StringT out;
    out.str().reserve(text.size());
    AppendXMLEncoded(out, text);
    return out;
}

StringT URLEncode(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    static constexpr std::string_view unsafe = " \"<>^`{|}";
    StringT out;
    out.str().reserve(text.size());
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 32 || b >= 127 || unsafe.find(ch) != std::string_view::npos) {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        } else if (ch == '&') {
            out += "&amp;";
        } else if (ch == '\'') {
            out += "&apos;";
        } else if (ch == '\\') {
            out += '/';
        } else {
            out += ch;
        }
    }
    return out;
}

} // namespace EPub
