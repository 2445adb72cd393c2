// SPDX-License-Identifier: MIT
#pragma once
// Intrusive reference counting: the ownership model of every shared host and library object.

#include <atomic>
#include <compare>
#include <concepts>
#include <cstddef>
#include <functional>
#include <utility>

namespace Foundation {

// Base of every reference-counted object. Derive virtually when a class may be reached
// through several bases (option objects are).
class Countable {
public:
    Countable() noexcept = default;
    Countable(const Countable&) noexcept {}
    Countable& operator=(const Countable&) noexcept { return *this; }
    virtual ~Countable() = default;

    void Acquire() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
    void Release() const noexcept {
        if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
    int RefCount() const noexcept { return refs_.load(std::memory_order_relaxed); }

private:
    mutable std::atomic<int> refs_{0};
};

// Strong reference. Copying acquires, destruction releases; the object dies with its last one.
template <class T> class Counted {
public:
    using element_type = T;

    Counted() noexcept = default;
    Counted(std::nullptr_t) noexcept {}
    // Takes a reference to an object that is already counted (or freshly made).
    explicit Counted(T* p) noexcept : p_(p) {
        if (p_)
            p_->Acquire();
    }
    Counted(const Counted& o) noexcept : Counted(o.p_) {}
    Counted(Counted&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U>
    requires std::convertible_to<U*, T*> Counted(const Counted<U>& o)
    noexcept : Counted(o.get()) {}
    template <class U>
    requires std::convertible_to<U*, T*> Counted(Counted<U>&& o)
    noexcept : p_(o.Detach()) {}
    ~Counted() {
        if (p_)
            p_->Release();
    }

    Counted& operator=(Counted o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void Reset() noexcept { Counted().swap(*this); }
    void swap(Counted& o) noexcept { std::swap(p_, o.p_); }

    // Hands the reference to the caller without releasing it.
    T* Detach() noexcept { return std::exchange(p_, nullptr); }

    friend bool operator==(const Counted& a, const Counted& b) noexcept { return a.p_ == b.p_; }
    friend bool operator==(const Counted& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }
    friend auto operator<=>(const Counted& a, const Counted& b) noexcept {
        return std::compare_three_way{}(a.p_, b.p_);
    }

private:
    template <class U> friend class Counted;
    T* p_ = nullptr;
};

template <class T, class... Args> Counted<T> MakeCounted(Args&&... args) {
    return Counted<T>(new T(std::forward<Args>(args)...));
}

template <class T, class U> Counted<T> CountedCast(const Counted<U>& p) noexcept {
    return Counted<T>(dynamic_cast<T*>(p.get()));
}

// A borrowed pointer: documents that the holder does not own the object.
template <class T> class NonCounted {
public:
    NonCounted() noexcept = default;
    NonCounted(T* p) noexcept : p_(p) {}
    NonCounted(const Counted<T>& p) noexcept : p_(p.get()) {}
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    friend bool operator==(const NonCounted&, const NonCounted&) noexcept = default;

private:
    T* p_ = nullptr;
};

} // namespace Foundation

template <class T> struct std::hash<Foundation::Counted<T>> {
    size_t operator()(const Foundation::Counted<T>& p) const noexcept {
        return std::hash<const void*>{}(p.get());
    }
};
