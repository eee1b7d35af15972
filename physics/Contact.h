#pragma once
// One contact found in a substep, and the fixed table that holds a substep's contacts.
#include <cstdint>
#include <mutex>

#include "core/Vector.h"

namespace Gedankenexperiment {

class Collider;

struct Contact {
    Collider* first = nullptr;  // empty: a free or consumed record
    Collider* second = nullptr;
    SD::Vec3 normal;     // unit, from the second collider towards the first
    float depth = 0.0f;  // penetration along the normal
    float restitution = 0.0f;
};

class ContactTable {
public:
    static constexpr uint32_t kCapacity = 10000;
    // Records handed out per substep: an index is given only while index + 1 stays below the
    // capacity.
    static constexpr uint32_t kMaxHandedOut = kCapacity - 1;

    ContactTable();
    ~ContactTable();
    ContactTable(const ContactTable&) = delete;
    ContactTable& operator=(const ContactTable&) = delete;

    // The next free record, or null once the substep has used all it may: the contact is then
    // dropped and the first drop of the substep is logged. The count never passes the records.
    Contact* Add();
    void Reset();
    uint32_t Count() const { return count_; }
    Contact& operator[](uint32_t index) { return records_[index]; }
    uint32_t Dropped() const { return dropped_; }
    // Clears the pending records that name the collider, so that a collider that goes away
    // while contacts are being reported is not reached through them.
    void Forget(const Collider* collider);

private:
    Contact* records_;
    uint32_t count_ = 0;
    uint32_t dropped_ = 0;
    // Guards count_ and dropped_ while colliders add contacts (Add) and the substep resets
    // them; the records themselves are read after the collision pass, on one thread.
    std::recursive_mutex lock_;
};

}  // namespace Gedankenexperiment
