#pragma once
// A system's registration list again as an array in the same order, for the frame's pass: the
// pass reads its entries one after another, where following the list's links would make each
// entry's loads wait for the one before. An entry that leaves becomes a hole that passes skip;
// holes are closed up, in order, only when the system asks between passes, so no entry moves
// during a pass and one added during a pass is reached by it.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace SD {

// `Entry` is copied by value and compared with ==; its default value is the hole. `IndexOf`
// gives the place where an entry keeps its own index in the array.
template <class Entry, uint32_t& (*IndexOf)(const Entry&)>
class RegistrationArray {
public:
    // The caller adds an entry only while it is not in the array.
    void Add(const Entry& entry) {
        IndexOf(entry) = static_cast<uint32_t>(entries_.size());
        entries_.push_back(entry);
    }

    // Leaves a hole where the entry stands; an entry not in the array is left alone.
    void Remove(const Entry& entry) {
        const uint32_t index = IndexOf(entry);
        if (index >= entries_.size() || !(entries_[index] == entry)) return;
        entries_[index] = Entry();
        ++holes_;
    }

    // Closes the holes, keeping the order, once they are more than an eighth of the array, so
    // a frame with a few removals does not move every entry.
    void CloseHolesIfMany() {
        if (holes_ * 8 <= entries_.size()) return;
        std::size_t kept = 0;
        for (const Entry& entry : entries_) {
            if (entry == Entry()) continue;
            IndexOf(entry) = static_cast<uint32_t>(kept);
            entries_[kept++] = entry;
        }
        entries_.resize(kept);
        holes_ = 0;
    }

    // Calls fn on every entry in order, holes skipped. The size is read again after each call,
    // so entries added during the walk are reached too.
    template <class Fn>
    void ForEach(Fn&& fn) {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const Entry entry = entries_[i];
            if (!(entry == Entry())) fn(entry);
        }
    }

    // Entries and holes together.
    std::size_t Size() const { return entries_.size(); }
    const Entry& operator[](std::size_t index) const { return entries_[index]; }

private:
    std::vector<Entry> entries_;
    std::size_t holes_ = 0;
};

}  // namespace SD
