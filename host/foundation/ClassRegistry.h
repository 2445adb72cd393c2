// SPDX-License-Identifier: MIT
#pragma once
// The process-wide table of serialisable classes by class tag. Classes add themselves through a
// namespace-scope ClassRegistration in their own source file, so the table is complete before
// main() and only read afterwards.

#include "host/foundation/Counted.h"

#include <cstdint>
#include <optional>
#include <shared_mutex>
#include <span>
#include <unordered_map>

namespace Foundation {

class Serialisable;

using ObjectFactory = Counted<Serialisable> (*)();

// A member's default as the class declares it, for hosts that reset single members.
struct ClassDefault {
    uint32_t tag;
    int64_t value;
};

struct ClassProperties {
    uint32_t tag = 0;
    uint32_t version = 1;
    ObjectFactory factory = nullptr; // null for abstract classes
    const ClassProperties* parent = nullptr;
    std::span<const ClassDefault> defaults;

    // This class or one of its ancestors is `other`.
    bool IsKindOf(const ClassProperties& other) const noexcept;
    // Searches this class, then its ancestors.
    std::optional<int64_t> FindDefault(uint32_t memberTag) const noexcept;
};

class ClassRegistry {
public:
    static const ClassRegistry& Instance();

    const ClassProperties* Find(uint32_t classTag) const;
    // Null for an unknown or abstract class.
    Counted<Serialisable> Create(uint32_t classTag) const;

    ClassRegistry(const ClassRegistry&) = delete;
    ClassRegistry& operator=(const ClassRegistry&) = delete;

private:
    friend class ClassRegistration;
    ClassRegistry() = default;
    static ClassRegistry& Writable();
    bool Add(const ClassProperties& properties);

    mutable std::shared_mutex mutex_;
    std::unordered_map<uint32_t, const ClassProperties*> classes_;
};

class ClassRegistration {
public:
    // The properties must outlive the process's use of the registry (a function-local static).
    explicit ClassRegistration(const ClassProperties& properties);
    // False when another class already holds the tag; the first one stays.
    bool IsRegistered() const noexcept { return registered_; }

private:
    bool registered_;
};

} // namespace Foundation
