// EdgePairIndex: a flat open-addressing hash table from an unordered pair of
// vertex indices to the lowest index of an edge between them. The mesh
// container keeps in it the edges of its busiest vertices, whose own edge
// lists are too long to search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class EdgePairIndex {
public:
    // Makes room for `count` pairs without rehashing.
    void Reserve(size_t count);
    // Forgets every pair; keeps the table's storage.
    void Clear();

    // The edge recorded for the pair {a, b}, or -1.
    int Find(int a, int b) const;
    // Records `edge` for the pair {a, b} unless an edge of lower index is
    // recorded for it already.
    void InsertMin(int a, int b, int edge);

    size_t size() const { return count; }

private:
    struct Slot {
        uint32_t lo;
        uint32_t hi;
        int32_t edge;  // -1: empty
    };

    size_t SlotOf(uint32_t lo, uint32_t hi) const;
    void Rehash(size_t capacity);

    std::vector<Slot> slots;
    size_t count = 0;
};
