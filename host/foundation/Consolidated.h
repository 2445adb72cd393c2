// SPDX-License-Identifier: MIT
#pragma once
// Interned immutable values: equal values share one object, so identity stands for equality and
// caches can key on the pointer.

#include "host/foundation/Counted.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace Foundation {

template <class T> class ConsolidationPool;

template <class T> class Consolidated {
public:
    Consolidated() noexcept = default;
    Consolidated(std::nullptr_t) noexcept {}

    const T* get() const noexcept { return p_.get(); }
    const T* operator->() const noexcept { return p_.get(); }
    const T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return bool(p_); }
    const Counted<const T>& AsCounted() const noexcept { return p_; }

    friend bool operator==(const Consolidated& a, const Consolidated& b) noexcept {
        return a.p_ == b.p_;
    }
    friend auto operator<=>(const Consolidated& a, const Consolidated& b) noexcept {
        return a.p_ <=> b.p_;
    }

private:
    friend class ConsolidationPool<T>;
    explicit Consolidated(Counted<const T> p) noexcept : p_(std::move(p)) {}
    Counted<const T> p_;
};

// Owns the interned values of one type. T derives from Countable and has operator== and a member
// Hash() returning size_t.
// Values live as long as the pool; a document's text model owns its pools.
template <class T> class ConsolidationPool : public Countable {
public:
    Consolidated<T> Consolidate(T value) {
        const size_t h = value.Hash();
        std::lock_guard lock(mutex_);
        auto& bucket = table_[h];
        for (const auto& existing : bucket)
            if (*existing == value)
                return Consolidated<T>(existing);
        Counted<const T> made = MakeCounted<const T>(std::move(value));
        bucket.push_back(made);
        return Consolidated<T>(std::move(made));
    }

    size_t size() const {
        std::lock_guard lock(mutex_);
        size_t n = 0;
        for (const auto& [h, bucket] : table_)
            n += bucket.size();
        return n;
    }

private:
    mutable std::mutex mutex_;
    std::unordered_map<size_t, std::vector<Counted<const T>>> table_;
};

} // namespace Foundation

template <class T> struct std::hash<Foundation::Consolidated<T>> {
    size_t operator()(const Foundation::Consolidated<T>& p) const noexcept {
        return std::hash<const void*>{}(p.get());
    }
};
