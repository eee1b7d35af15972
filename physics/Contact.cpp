#include "physics/Contact.h"

#include "core/Logger.h"

namespace Gedankenexperiment {

ContactTable::ContactTable() : records_(new Contact[kCapacity]) {}

ContactTable::~ContactTable() { delete[] records_; }

Contact* ContactTable::Add() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (count_ >= kMaxHandedOut) {
        if (dropped_++ == 0)
            SD_WARNING(Debug::kLogError, "More than %u contacts in one physics substep; the rest are dropped",
                       static_cast<unsigned>(kMaxHandedOut));
        return nullptr;
    }
    Contact* record = &records_[count_++];
    *record = Contact();
    return record;
}

void ContactTable::Reset() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    count_ = 0;
    dropped_ = 0;
}

void ContactTable::Forget(const Collider* collider) {
    for (uint32_t i = 0; i < count_; ++i) {
        if (records_[i].first == collider || records_[i].second == collider) records_[i].first = nullptr;
    }
}

}  // namespace Gedankenexperiment
