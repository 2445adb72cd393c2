// SPDX-License-Identifier: MIT
#include "host/foundation/ClassRegistry.h"

#include "host/foundation/Serialisable.h"

#include <mutex>

namespace Foundation {

bool ClassProperties::IsKindOf(const ClassProperties& other) const noexcept {
    for (const ClassProperties* p = this; p; p = p->parent)
        if (p == &other)
            return true;
    return false;
}

std::optional<int64_t> ClassProperties::FindDefault(uint32_t memberTag) const noexcept {
    for (const ClassProperties* p = this; p; p = p->parent)
        for (const ClassDefault& d : p->defaults)
            if (d.tag == memberTag)
                return d.value;
    return std::nullopt;
}

const ClassRegistry& ClassRegistry::Instance() {
    return Writable();
}

ClassRegistry& ClassRegistry::Writable() {
    // Function-local so that registrations from other translation units, which run during
    // static initialisation in no fixed order, always find it constructed.
    static ClassRegistry registry;
    return registry;
}

bool ClassRegistry::Add(const ClassProperties& properties) {
    std::unique_lock lock(mutex_);
    const auto [it, inserted] = classes_.emplace(properties.tag, &properties);
    return inserted || it->second == &properties;
}

const ClassProperties* ClassRegistry::Find(uint32_t classTag) const {
    std::shared_lock lock(mutex_);
    const auto it = classes_.find(classTag);
    return it == classes_.end() ? nullptr : it->second;
}

Counted<Serialisable> ClassRegistry::Create(uint32_t classTag) const {
    const ClassProperties* properties = Find(classTag);
    if (!properties || !properties->factory)
        return nullptr;
    return properties->factory();
}

ClassRegistration::ClassRegistration(const ClassProperties& properties)
    : registered_(ClassRegistry::Writable().Add(properties)) {}

} // namespace Foundation
