#include "physics/DynamicPairs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "physics/Collider.h"
#include "physics/PairSupport.h"
#include "physics/PairTests.h"
#include "physics/Shapes.h"

namespace Gedankenexperiment {

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

bool Finite(const SD::Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool Size(float v) { return std::isfinite(v) && v >= 0.0f; }
bool Size(const SD::Vec3& v) { return Size(v.x) && Size(v.y) && Size(v.z); }

SD::Vec3 Min(const SD::Vec3& a, const SD::Vec3& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}
SD::Vec3 Max(const SD::Vec3& a, const SD::Vec3& b) {
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

void Unbounded(WorldBox& box) {
    box.bounded = false;
    box.lo = SD::Vec3(-kInfinity, -kInfinity, -kInfinity);
    box.hi = SD::Vec3(kInfinity, kInfinity, kInfinity);
}

// Stores the corners, padded so that rounding in the tests never reaches past them; it stays far
// inside a millionth of the sizes and distances involved. The corners come in as values and the
// record is written once: corners built up in the record and read back for the padding would
// wait for their own stores.
void Finish(WorldBox& box, const SD::Vec3 lo, const SD::Vec3 hi) {
    const SD::Vec3 reach = Max(Max(hi, lo * -1.0f), hi - lo);
    const float pad = 1e-5f * std::max({reach.x, reach.y, reach.z}) + 1e-6f;
    const SD::Vec3 padded(pad, pad, pad);
    const SD::Vec3 low = lo - padded, high = hi + padded;
    if (!Finite(low) || !Finite(high)) return Unbounded(box);
    // Component by component: stored whole, the vectors are put together on the stack first.
    box.lo.x = low.x;
    box.lo.y = low.y;
    box.lo.z = low.z;
    box.hi.x = high.x;
    box.hi.y = high.y;
    box.hi.z = high.z;
}

// The box around two boxes, each a centre and half sizes.
void FinishJoined(WorldBox& box, const SD::Vec3& c1, const SD::Vec3& h1, const SD::Vec3& c2, const SD::Vec3& h2) {
    Finish(box, Min(c1 - h1, c2 - h2), Max(c1 + h1, c2 + h2));
}

}  // namespace

void DynamicWorldBox(const Collider& collider, WorldBox& box) {
    box.bounded = true;
    box.empty = false;
    const Shape* shape = collider.GetShape();
    if (!shape) {
        box.empty = true;
        return;
    }
    const SD::Vec3& p = collider.position;
    if (!Finite(p)) return Unbounded(box);
    switch (shape->GetType()) {
        case kShapeSphere: {
            const float r = static_cast<const Sphere*>(shape)->radius;
            if (!Size(r)) return Unbounded(box);
            return Finish(box, p - SD::Vec3(r, r, r), p + SD::Vec3(r, r, r));
        }
        case kShapeSphereFF: {
            // Its shell is centred above it; against a cylinder it stands at its position.
            const auto* field = static_cast<const SphereFF*>(shape);
            const float shell = field->radius + field->fieldThickness;
            if (!Size(field->radius) || !Size(field->fieldThickness) || !Size(shell)) return Unbounded(box);
            return FinishJoined(box, p, SD::Vec3(field->radius, field->radius, field->radius),
                                p + SD::Vec3(0.0f, kFieldLift, 0.0f), SD::Vec3(shell, shell, shell));
        }
        case kShapeAAB: {
            // Against a sphere the box stands at its offset, against another box at its position.
            const SD::Vec3& e = static_cast<const AxisABox*>(shape)->extents;
            const SD::Vec3 offset = ScaledOffset(*shape);
            if (!Size(e) || !Finite(offset)) return Unbounded(box);
            return FinishJoined(box, p, e, p + offset, e);
        }
        case kShapeOBB: {
            const SD::Vec3& e = static_cast<const OrientedBox*>(shape)->extents;
            const SD::Vec3 offset = ScaledOffset(*shape);
            const SD::Mtx33 m = Orientation(*shape);
            if (!Size(e) || !Finite(offset)) return Unbounded(box);
            SD::Vec3 half;
            for (int i = 0; i < 3; ++i) {
                const SD::Vec3 axis = m.GetColumn(i);
                const float extent = i == 0 ? e.x : i == 1 ? e.y : e.z;
                half += SD::Vec3(std::fabs(axis.x), std::fabs(axis.y), std::fabs(axis.z)) * extent;
            }
            if (!Finite(half)) return Unbounded(box);
            return Finish(box, p + offset - half, p + offset + half);
        }
        case kShapeCylinder: {
            const auto* cylinder = static_cast<const Cylinder*>(shape);
            const float r = cylinder->radius;
            if (!Size(r) || !Finite(cylinder->point1) || !Finite(cylinder->point2)) return Unbounded(box);
            return FinishJoined(box, p + cylinder->point1, SD::Vec3(r, r, r), p + cylinder->point2, SD::Vec3(r, r, r));
        }
        default:
            return Unbounded(box);
    }
}

namespace {

// A box spread over more columns than this is paired by a scan of every box instead.
constexpr double kMostColumns = 16;

// Float bits that sort as unsigned integers in the order of the values; -0 and +0 are equal.
uint32_t Ordered(float v) {
    v += 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits & 0x80000000u ? ~bits : bits | 0x80000000u;
}

// Mixed so that columns placed alike around zero (y, z and z, y or -y, -z) differ.
uint32_t ColumnHash(int64_t y, int64_t z) {
    uint64_t h = static_cast<uint64_t>(y) * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(z);
    h ^= h >> 29;
    h *= 0xC2B2AE3D27D4EB4Full;
    return static_cast<uint32_t>(h >> 32);
}

// The floor of a value within 32 bits, without the library call and its rounding-mode care.
int32_t Floor(double v) {
    const auto t = static_cast<int32_t>(v);
    return t - static_cast<int32_t>(v < t);
}

bool Overlap(const WorldBox& a, const WorldBox& b) {
    return !(b.lo.x > a.hi.x || a.lo.x > b.hi.x || b.lo.y > a.hi.y || a.lo.y > b.hi.y || b.lo.z > a.hi.z ||
             a.lo.z > b.hi.z);
}

}  // namespace

void DynamicPairs::AddEntries(uint32_t index, uint32_t x) {
    const Columns& c = columns_[index];
    for (int64_t y = c.y0; y <= c.y1; ++y)
        for (int64_t z = c.z0; z <= c.z1; ++z) {
            // Field by field: a whole entry built aside and copied in stalls on its own stores.
            Entry& entry = entries_.emplace_back();
            entry.key = uint64_t{ColumnHash(y, z)} << 32 | x;
            entry.index = index;
        }
}

void DynamicPairs::UpdateEntries() {
    // The entries of boxes that kept their columns get their new lowest x; they were sorted and
    // moved a little, so an insertion sort puts them in order again in about one pass.
    if (moved_.empty()) {
        for (Entry& e : sorted_) e.key = (e.key & 0xFFFFFFFF00000000ull) | Ordered(boxes_[e.index].lo.x);
    } else {
        gone_.assign(columns_.size(), 0);
        for (uint32_t i : moved_) gone_[i] = 1;
        size_t kept = 0;
        for (size_t s = 0; s < sorted_.size(); ++s) {
            const Entry e = sorted_[s];
            if (gone_[e.index]) continue;
            Entry& k = sorted_[kept++];
            k.key = (e.key & 0xFFFFFFFF00000000ull) | Ordered(boxes_[e.index].lo.x);
            k.index = e.index;
        }
        sorted_.resize(kept);
    }
    for (size_t s = 1; s < sorted_.size(); ++s) {
        if (!(sorted_[s] < sorted_[s - 1])) continue;
        const Entry e = sorted_[s];
        size_t t = s;
        for (; t > 0 && e < sorted_[t - 1]; --t) sorted_[t] = sorted_[t - 1];
        sorted_[t] = e;
    }
    if (moved_.empty()) return;
    entries_.clear();
    for (uint32_t i : moved_) AddEntries(i, Ordered(boxes_[i].lo.x));
    std::sort(entries_.begin(), entries_.end());
    merged_.resize(sorted_.size() + entries_.size());
    std::merge(sorted_.begin(), sorted_.end(), entries_.begin(), entries_.end(), merged_.begin());
    sorted_.swap(merged_);
}

// A counting sort on the top bits of the column hashes spreads the entries over about as many
// buckets as there are entries; each bucket, a column or a few, is then sorted on its own. The
// work per entry stays flat where one sort of all would grow with the logarithm of the count.
void DynamicPairs::SortEntries() {
    int bits = 4;
    while (bits < 20 && (size_t{1} << bits) < entries_.size()) ++bits;
    const int shift = 64 - bits;
    buckets_.assign((size_t{1} << bits) + 1, 0);
    for (const Entry& e : entries_) ++buckets_[(e.key >> shift) + 1];
    for (size_t b = 1; b < buckets_.size(); ++b) buckets_[b] += buckets_[b - 1];
    sorted_.resize(entries_.size());
    for (const Entry& e : entries_) sorted_[buckets_[e.key >> shift]++] = e;
    // Each bucket's start moved to its end, which is the next bucket's start.
    uint32_t begin = 0;
    for (size_t b = 0; b + 1 < buckets_.size(); ++b) {
        const uint32_t end = buckets_[b];
        if (end - begin > 1) std::sort(sorted_.begin() + begin, sorted_.begin() + end);
        begin = end;
    }
}

void DynamicPairs::PlaceInColumns() {
    // A multiply by the inverse instead of a divide, and a floor by truncation once the range is
    // known: the columns stay a monotonic function of the coordinates, which is all the sweep
    // needs for a pair that overlaps to share a column.
    const double perCell = 1.0 / cell_;
    const double limit = 1e9;  // column numbers stay well inside 32 bits
    for (uint32_t i : present_) {
        const WorldBox& box = boxes_[i];
        if (!box.bounded) continue;
        const double y0 = box.lo.y * perCell, y1 = box.hi.y * perCell;
        const double z0 = box.lo.z * perCell, z1 = box.hi.z * perCell;
        if (!(std::fabs(y0) <= limit && std::fabs(y1) <= limit && std::fabs(z0) <= limit && std::fabs(z1) <= limit)) {
            wide_.push_back(i);
            continue;
        }
        const Columns c{Floor(y0), Floor(y1), Floor(z0), Floor(z1)};
        if ((int64_t{c.y1} - c.y0 + 1) * (int64_t{c.z1} - c.z0 + 1) > kMostColumns) {
            wide_.push_back(i);
            continue;
        }
        columns_[i] = c;
    }
}

const std::vector<std::pair<uint32_t, uint32_t>>& DynamicPairs::Find(const std::vector<Collider*>& colliders) {
    const auto count = static_cast<uint32_t>(colliders.size());
    // So few boxes are swept along x as one column: the grid would cost more than the tests it
    // saves, and a sweep of this many meets at worst a few thousand pairs.
    const bool oneColumn = count <= kOneColumnAtMost;
    boxes_.resize(count);
    sizes_.clear();
    present_.clear();
    unbounded_.clear();
    for (uint32_t i = 0; i < count; ++i) {
        // Written in place: a box returned whole and copied in stalls on its own stores.
        WorldBox& box = boxes_[i];
        DynamicWorldBox(*colliders[i], box);
        if (box.empty) continue;
        present_.push_back(i);
        if (!box.bounded)
            unbounded_.push_back(i);
        else if (!oneColumn)
            sizes_.push_back(std::max(box.hi.y - box.lo.y, box.hi.z - box.lo.z));
    }
    // Otherwise columns about twice the median size across: most boxes fall in one to four of
    // them. The size in use is kept while it stays near that, so that the entries can be kept
    // too; the size changes which boxes are compared, never the pairs found.
    double cell = 1.0;
    if (!oneColumn && !sizes_.empty()) {
        std::nth_element(sizes_.begin(), sizes_.begin() + sizes_.size() / 2, sizes_.end());
        cell = std::max(2.0 * sizes_[sizes_.size() / 2], 1e-3);
    }
    const bool keep =
        count == lastColumns_.size() && cell_ > 0.0 && (oneColumn || (cell >= cell_ * 0.75 && cell <= cell_ * 1.5));
    if (!keep) cell_ = cell;
    columns_.assign(count, Columns());
    wide_.clear();
    moved_.clear();
    if (oneColumn) {
        for (uint32_t i : present_)
            if (boxes_[i].bounded) columns_[i] = Columns{0, 0, 0, 0};
    } else {
        PlaceInColumns();
    }
    if (keep) {
        for (uint32_t i = 0; i < count; ++i)
            if (!(columns_[i] == lastColumns_[i])) moved_.push_back(i);
        UpdateEntries();
    } else {
        entries_.clear();
        for (uint32_t i = 0; i < count; ++i) AddEntries(i, Ordered(boxes_[i].lo.x));
        SortEntries();
    }
    lastColumns_.swap(columns_);
    // Within a column the keys order the boxes by their lowest x, so the sweep reads x from
    // them and reaches a box itself only for the y and z test of a pair whose x ranges meet.
    keys_.clear();
    for (size_t s = 0; s < sorted_.size(); ++s) {
        const uint32_t column = static_cast<uint32_t>(sorted_[s].key >> 32);
        const WorldBox& a = boxes_[sorted_[s].index];
        const uint32_t highest = Ordered(a.hi.x);
        for (size_t t = s + 1; t < sorted_.size() && static_cast<uint32_t>(sorted_[t].key >> 32) == column &&
                               static_cast<uint32_t>(sorted_[t].key) <= highest;
             ++t) {
            // Columns whose hashes meet may hold one box twice.
            if (sorted_[t].index == sorted_[s].index) continue;
            const WorldBox& b = boxes_[sorted_[t].index];
            if (b.lo.y > a.hi.y || a.lo.y > b.hi.y || b.lo.z > a.hi.z || a.lo.z > b.hi.z) continue;
            Pair(sorted_[s].index, sorted_[t].index);
        }
    }
    for (uint32_t w : wide_)
        for (uint32_t i : present_)
            if (i != w && boxes_[i].bounded && Overlap(boxes_[w], boxes_[i])) Pair(w, i);
    for (uint32_t u : unbounded_)
        for (uint32_t i : present_)
            if (i != u) Pair(u, i);
    // A pair that shares several columns, or meets a wide or unbounded box from both sides, is
    // found more than once.
    std::sort(keys_.begin(), keys_.end());
    keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());
    pairs_.clear();
    for (uint64_t key : keys_) pairs_.emplace_back(static_cast<uint32_t>(key >> 32), static_cast<uint32_t>(key));
    return pairs_;
}

}  // namespace Gedankenexperiment
