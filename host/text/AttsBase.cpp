// SPDX-License-Identifier: MIT
#include "host/text/AttsBase.h"

namespace Text {

AttsBase::AttsBase(AttCategory category, AttributeSet set)
    : set_(std::move(set)), category_(category) {
    set_.Canonicalise(category_);
}

int32_t AttsBase::GetInt(AttId id) const {
    const AttValue* v = set_.Find(AttKind::Integer, id);
    return v ? std::get<int32_t>(*v) : GetDefaultInt(category_, id);
}

double AttsBase::GetDouble(AttId id) const {
    const AttValue* v = set_.Find(AttKind::Double, id);
    return v ? std::get<double>(*v) : GetDefaultDouble(category_, id);
}

const StringT& AttsBase::GetString(AttId id) const {
    static const StringT empty;
    const AttValue* v = set_.Find(AttKind::String, id);
    return v ? std::get<StringT>(*v) : empty;
}

const Counted<const AttObject>& AttsBase::GetObject(AttId id) const {
    static const Counted<const AttObject> none;
    const AttValue* v = set_.Find(AttKind::Object, id);
    return v ? std::get<Counted<const AttObject>>(*v) : none;
}

} // namespace Text
