// SPDX-License-Identifier: MIT
#pragma once
// A user-visible message. The text is the English original and the key to any translation; the
// context groups one feature's messages so that the same words can be translated differently
// elsewhere. This host ships English only, so the text is what is shown.

#include "host/foundation/StringT.h"

namespace Foundation {

class LocalisedString {
public:
    LocalisedString() = default;
    explicit LocalisedString(StringT text, StringT context = {})
        : text_(std::move(text)), context_(std::move(context)) {}

    const StringT& Text() const noexcept { return text_; }
    const StringT& Context() const noexcept { return context_; }

    // The message in the user's language.
    StringT ToString() const { return text_; }
    // The message with its "%1".."%9" placeholders filled in.
    template <class... A> StringT Format(const A&... args) const {
        return StringT::Format(ToString().view(), args...);
    }

    friend bool operator==(const LocalisedString&, const LocalisedString&) = default;

private:
    StringT text_;
    StringT context_;
};

} // namespace Foundation
