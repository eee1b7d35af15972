#pragma once
// The broad phase of the dynamic colliders: their world boxes are sorted into columns of a grid
// across y and z, and a sort and sweep along x inside each column finds the pairs whose shapes
// may touch. Columns keep the work per collider flat however many there are; a sweep along one
// axis alone would meet ever more boxes in the same x range. A few colliders share one column. The pairs are handed out in the
// order a loop over every pair (first index outer, both in list order) meets them, so that the
// pair tests fill the contact table, and push bodies, exactly as that loop would. Bodies move
// little from one substep to the next: the sorted boxes are kept, their keys brought up to date
// and sorted again by insertion, and only the boxes that changed columns are sorted anew.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/Vector.h"

namespace Gedankenexperiment {

class Collider;

// The world box that holds everything any pair test can reach of the collider's shape at its
// position, a little enlarged so that rounding in the tests never reaches past it. Not bounded
// when the shape has no such box (height maps, meshes, unusual sizes, positions that are not
// finite): such a collider is paired with every other. A collider without a shape has an
// empty box and is paired with none.
struct WorldBox {
    SD::Vec3 lo, hi;
    bool bounded = true;
    bool empty = false;
};
void DynamicWorldBox(const Collider& collider, WorldBox& box);

class DynamicPairs {
public:
    // The pairs (i, j), i < j, of indices into `colliders` whose boxes overlap, ordered by i,
    // then j.
    const std::vector<std::pair<uint32_t, uint32_t>>& Find(const std::vector<Collider*>& colliders);

private:
    // A box in one column of the grid: the column's hash above the box's lowest x, so that the
    // sorted keys line up each column along x. Columns whose hashes meet are swept as one, which
    // costs a few more box tests and changes no result.
    struct Entry {
        uint64_t key;
        uint32_t index;
        bool operator<(const Entry& o) const { return key < o.key || (key == o.key && index < o.index); }
    };
    // The columns a box spans; none (y0 > y1) for a box outside the grid.
    struct Columns {
        int32_t y0 = 1, y1 = 0, z0 = 0, z1 = 0;
        bool operator==(const Columns& o) const { return y0 == o.y0 && y1 == o.y1 && z0 == o.z0 && z1 == o.z1; }
    };
    // Up to this many colliders share one column.
    static constexpr uint32_t kOneColumnAtMost = 128;

    // The columns of each bounded box, or a place among the wide boxes.
    void PlaceInColumns();
    void AddEntries(uint32_t index, uint32_t x);
    void SortEntries();
    // Brings the kept entries' keys up to date and merges in the entries of the moved boxes.
    void UpdateEntries();
    void Pair(uint32_t a, uint32_t b) { keys_.push_back(uint64_t{std::min(a, b)} << 32 | std::max(a, b)); }

    std::vector<WorldBox> boxes_;
    std::vector<float> sizes_;
    std::vector<Entry> entries_;
    std::vector<Entry> sorted_;
    std::vector<Entry> merged_;
    std::vector<Columns> columns_;  // per collider, this substep and the last
    std::vector<Columns> lastColumns_;
    std::vector<uint32_t> moved_;  // colliders whose columns changed since the last substep
    std::vector<uint8_t> gone_;    // per collider: its kept entries are dropped
    double cell_ = 0.0;            // the columns' size the kept entries were made with
    std::vector<uint32_t> buckets_;
    std::vector<uint32_t> wide_;  // bounded boxes across too many columns
    std::vector<uint32_t> unbounded_;
    std::vector<uint32_t> present_;  // every collider with a shape
    std::vector<uint64_t> keys_;
    std::vector<std::pair<uint32_t, uint32_t>> pairs_;
};

}  // namespace Gedankenexperiment
