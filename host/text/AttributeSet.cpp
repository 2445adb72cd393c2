// SPDX-License-Identifier: MIT
#include "host/text/AttributeSet.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <typeinfo>

namespace Text {

namespace {

bool KeyLess(const AttEntry& e, AttKind kind, AttId id) {
    return e.kind() != kind ? e.kind() < kind : e.id < id;
}

bool EntryLess(const AttEntry& a, const AttEntry& b) {
    return KeyLess(a, b.kind(), b.id);
}

bool IsDefault(const AttEntry& e, AttCategory category) {
    return SameAttValue(e.value, GetDefaultValue(category, e.kind(), e.id));
}

} // namespace

bool SameAttObject(const AttObject* a, const AttObject* b) {
    if (a == b)
        return true;
    if (!a || !b || typeid(*a) != typeid(*b))
        return false;
    return a->Equals(*b);
}

bool SameAttValue(const AttValue& a, const AttValue& b) {
    if (a.index() != b.index())
        return false;
    if (const auto* oa = std::get_if<Counted<const AttObject>>(&a))
        return SameAttObject(oa->get(), std::get<Counted<const AttObject>>(b).get());
    return a == b;
}

size_t HashAttValue(const AttValue& v) {
    return std::visit(
        [](const auto& x) -> size_t {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, double>)
                return x == 0 ? 0 : std::hash<double>{}(x); // -0 equals 0
            else if constexpr (std::is_same_v<T, StringT>)
                return std::hash<std::string_view>{}(x.view());
            else if constexpr (std::is_same_v<T, Counted<const AttObject>>)
                return x ? x->Hash() : 0;
            else
                return std::hash<T>{}(x);
        },
        v);
}

AttValue GetDefaultValue(AttCategory category, AttKind kind, AttId id) {
    switch (kind) {
    case AttKind::Integer:
        return GetDefaultInt(category, id);
    case AttKind::Double:
        return GetDefaultDouble(category, id);
    case AttKind::String:
        return StringT();
    case AttKind::Object:
        break;
    }
    return Counted<const AttObject>();
}

std::vector<AttEntry>::iterator AttributeSet::LowerBound(AttKind kind, AttId id) {
    return std::lower_bound(entries_.begin(), entries_.end(), 0,
                            [&](const AttEntry& e, int) { return KeyLess(e, kind, id); });
}

std::vector<AttEntry>::const_iterator AttributeSet::LowerBound(AttKind kind, AttId id) const {
    return std::lower_bound(entries_.begin(), entries_.end(), 0,
                            [&](const AttEntry& e, int) { return KeyLess(e, kind, id); });
}

const AttValue* AttributeSet::Find(AttKind kind, AttId id) const {
    auto it = LowerBound(kind, id);
    return it != entries_.end() && it->kind() == kind && it->id == id ? &it->value : nullptr;
}

void AttributeSet::Set(AttId id, AttValue value) {
    if (const double* d = std::get_if<double>(&value); d && std::isnan(*d))
        throw std::invalid_argument("attribute value is not a number");
    const AttKind kind = KindOf(value);
    auto it = LowerBound(kind, id);
    if (it != entries_.end() && it->kind() == kind && it->id == id)
        it->value = std::move(value);
    else
        entries_.insert(it, AttEntry{id, std::move(value)});
}

bool AttributeSet::Erase(AttKind kind, AttId id) {
    auto it = LowerBound(kind, id);
    if (it == entries_.end() || it->kind() != kind || it->id != id)
        return false;
    entries_.erase(it);
    return true;
}

void AttributeSet::Apply(const AttributeSet& delta, AttCategory category) {
    if (delta.empty())
        return;
    std::vector<AttEntry> merged;
    merged.reserve(entries_.size() + delta.entries_.size());
    auto a = entries_.begin();
    auto b = delta.entries_.begin();
    while (a != entries_.end() || b != delta.entries_.end()) {
        if (b == delta.entries_.end() || (a != entries_.end() && EntryLess(*a, *b))) {
            merged.push_back(std::move(*a++));
            continue;
        }
        if (a != entries_.end() && !EntryLess(*b, *a))
            ++a; // same key: the delta wins
        if (!IsDefault(*b, category))
            merged.push_back(*b);
        ++b;
    }
    entries_ = std::move(merged);
}

void AttributeSet::Canonicalise(AttCategory category) {
    std::erase_if(entries_, [&](const AttEntry& e) { return IsDefault(e, category); });
}

AttributeSet AttributeSet::Difference(const AttributeSet& atts, const AttributeSet& base,
                                      AttCategory category) {
    AttributeSet out;
    auto a = atts.entries_.begin();
    auto b = base.entries_.begin();
    while (a != atts.entries_.end() || b != base.entries_.end()) {
        if (b == base.entries_.end() || (a != atts.entries_.end() && EntryLess(*a, *b))) {
            if (!IsDefault(*a, category))
                out.entries_.push_back(*a);
            ++a;
        } else if (a == atts.entries_.end() || EntryLess(*b, *a)) {
            AttValue def = GetDefaultValue(category, b->kind(), b->id);
            if (!SameAttValue(def, b->value))
                out.entries_.push_back(AttEntry{b->id, std::move(def)});
            ++b;
        } else {
            if (!SameAttValue(a->value, b->value))
                out.entries_.push_back(*a);
            ++a;
            ++b;
        }
    }
    return out;
}

size_t AttributeSet::Hash() const {
    size_t h = entries_.size();
    for (const AttEntry& e : entries_) {
        HashCombine(h, (static_cast<size_t>(e.kind()) << 16) | e.id);
        HashCombine(h, HashAttValue(e.value));
    }
    return h;
}

} // namespace Text
