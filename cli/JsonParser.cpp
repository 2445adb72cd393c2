// SPDX-License-Identifier: MIT
#include "cli/JsonParser.h"

namespace Cli {

std::string JsonSyntaxMessage(rapidjson::ParseErrorCode code) {
    switch (code) {
    case rapidjson::kParseErrorDocumentEmpty:
        return "the text holds no value";
    case rapidjson::kParseErrorDocumentRootNotSingular:
        return "something follows the document's value";
    case rapidjson::kParseErrorValueInvalid:
        return "expected a value";
    case rapidjson::kParseErrorObjectMissName:
        return "expected a member name in double quotes";
    case rapidjson::kParseErrorObjectMissColon:
        return "expected ':'";
    case rapidjson::kParseErrorObjectMissCommaOrCurlyBracket:
        return "expected ',' or '}'";
    case rapidjson::kParseErrorArrayMissCommaOrSquareBracket:
        return "expected ',' or ']'";
    case rapidjson::kParseErrorStringUnicodeEscapeInvalidHex:
        return "\\u needs four hexadecimal digits";
    case rapidjson::kParseErrorStringUnicodeSurrogateInvalid:
        return "a high surrogate without its low half";
    case rapidjson::kParseErrorStringEscapeInvalid:
        return "unknown escape in a string";
    case rapidjson::kParseErrorStringMissQuotationMark:
        return "the text ends inside a string, or a control character is not escaped";
    case rapidjson::kParseErrorStringInvalidEncoding:
        return "ill-formed UTF-8, or a control character not escaped, in a string";
    case rapidjson::kParseErrorNumberMissFraction:
        return "expected a digit after the decimal point";
    case rapidjson::kParseErrorNumberMissExponent:
        return "expected a digit in the exponent";
    case rapidjson::kParseErrorNumberTooBig:
        return "a number is out of range";
    default:
        return "not JSON";
    }
}

} // namespace Cli
