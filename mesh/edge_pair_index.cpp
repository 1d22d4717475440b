#include "mesh/edge_pair_index.h"

#include <cassert>

namespace {

constexpr size_t kMinCapacity = 16;

uint64_t Mix(uint64_t k) {
    // The finaliser of MurmurHash3: spreads neighbouring pairs, which a mesh
    // has many of, over the whole table.
    k ^= k >> 33;
    k *= 0xff51afd7ed558ccdull;
    k ^= k >> 33;
    k *= 0xc4ceb9fe1a85ec53ull;
    k ^= k >> 33;
    return k;
}

void Order(int a, int b, uint32_t& lo, uint32_t& hi) {
    const uint32_t ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
    lo = ua < ub ? ua : ub;
    hi = ua < ub ? ub : ua;
}

}  // namespace

size_t EdgePairIndex::SlotOf(uint32_t lo, uint32_t hi) const {
    assert(!slots.empty());
    const size_t mask = slots.size() - 1;
    size_t i = static_cast<size_t>(Mix((uint64_t(lo) << 32) | hi)) & mask;
    // The table is never more than half full, so every probe ends.
    while (slots[i].edge >= 0 && (slots[i].lo != lo || slots[i].hi != hi)) i = (i + 1) & mask;
    return i;
}

void EdgePairIndex::Rehash(size_t capacity) {
    std::vector<Slot> old;
    old.swap(slots);
    slots.assign(capacity, Slot{0, 0, -1});
    for (const Slot& s : old)
        if (s.edge >= 0) slots[SlotOf(s.lo, s.hi)] = s;
}

void EdgePairIndex::Reserve(size_t n) {
    size_t capacity = kMinCapacity;
    while (capacity < n * 2) capacity *= 2;
    if (capacity > slots.size()) Rehash(capacity);
}

void EdgePairIndex::Clear() {
    for (Slot& s : slots) s.edge = -1;
    count = 0;
}

int EdgePairIndex::Find(int a, int b) const {
    if (slots.empty()) return -1;
    uint32_t lo, hi;
    Order(a, b, lo, hi);
    return slots[SlotOf(lo, hi)].edge;
}

void EdgePairIndex::InsertMin(int a, int b, int edge) {
    assert(edge >= 0);
    if ((count + 1) * 2 > slots.size()) Rehash(slots.empty() ? kMinCapacity : slots.size() * 2);
    uint32_t lo, hi;
    Order(a, b, lo, hi);
    Slot& s = slots[SlotOf(lo, hi)];
    if (s.edge < 0) {
        s = Slot{lo, hi, edge};
        ++count;
    } else if (edge < s.edge) {
        s.edge = edge;
    }
}
