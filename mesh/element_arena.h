// ElementArena<T>: the storage of one kind of mesh element, and the array of
// them by index. Elements are built in place in large blocks, so their
// addresses stay valid while more are added, and a whole model is released
// block by block instead of element by element. Destructors still run, in
// creation order, unless no element holds a heap block (element_heap.h):
// their destructors would then do nothing. Element i is found from its index
// alone: blocks are filled in order, and a model's load reserves one block
// for nearly all of them.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "mesh/element_heap.h"

template <class T>
class ElementArena {
public:
    ElementArena() {}
    ~ElementArena() { Release(); }
    ElementArena(const ElementArena&) = delete;
    ElementArena& operator=(const ElementArena&) = delete;

    // Makes room for `count` more elements, so that building them allocates
    // at most once.
    void Reserve(size_t count) {
        size_t room = 0;
        for (size_t b = current; b < blocks.size() && room < count; ++b) room += blocks[b].capacity - blocks[b].used;
        if (room < count) {
            AddBlock(count - room);
            // What goes beyond a reservation is usually little.
            nextCapacity = std::min(std::max(kFirstBlock, (count - room) / 32), kLargestGrowth);
        }
    }

    // Number of elements built since the last Clear.
    size_t Size() const { return size; }

    // Element i, the (i + 1)-th built; i must be below Size().
    T* At(size_t i) const {
        assert(i < size);
        const Block& first = blocks.front();
        if (i < first.used) return first.items + i;
        // Blocks before `current` are full, so the starts grow with the block.
        const auto after = std::upper_bound(blocks.begin() + 1, blocks.begin() + current + 1, i,
                                            [](size_t index, const Block& b) { return index < b.start; });
        const Block& block = *(after - 1);
        return block.items + (i - block.start);
    }

    // Calls f(element) for every element, in index order.
    template <class F>
    void ForEach(F f) const {
        for (size_t b = 0; b < blocks.size() && b <= current; ++b)
            for (size_t k = 0; k < blocks[b].used; ++k) f(blocks[b].items + k);
    }

    // Builds a T from `args` and returns it; its index is the old Size().
    template <class... Args>
    T* Create(Args&&... args) {
        while (current < blocks.size() && blocks[current].used == blocks[current].capacity) ++current;
        if (current == blocks.size()) AddBlock(nextCapacity);
        Block& block = blocks[current];
        if (block.used == 0) block.start = size;
        T* element = new (block.items + block.used) T(std::forward<Args>(args)...);
        ++block.used;
        ++size;
        return element;
    }

    // Destroys every element, oldest first, when any element holds
    // something to give back. The blocks are kept for the next elements: a
    // model that is reloaded (as after turning its faces) reuses the memory
    // it already has.
    void Clear() {
        const bool destroy = !element_heap::NoneHeld();
        for (Block& block : blocks) {
            // The arena built these as T: no virtual dispatch is needed.
            if (destroy)
                for (size_t i = 0; i < block.used; ++i) block.items[i].T::~T();
            block.used = 0;
        }
        current = 0;
        size = 0;
    }

    // Destroys every element of `donor`, oldest first, and takes its blocks
    // for the elements this arena builds next. Expects this arena to hold
    // no elements.
    void TakeBlocks(ElementArena& donor) {
        assert(&donor != this && Empty());
        donor.Clear();
        blocks.insert(blocks.end(), donor.blocks.begin(), donor.blocks.end());
        donor.blocks.clear();
        donor.nextCapacity = kFirstBlock;
        current = 0;
        size = 0;
    }

    // Exchanges the elements and blocks of two arenas; no element moves.
    void Swap(ElementArena& other) {
        blocks.swap(other.blocks);
        std::swap(current, other.current);
        std::swap(nextCapacity, other.nextCapacity);
        std::swap(size, other.size);
    }

    // Whether the arena holds no elements.
    bool Empty() const { return size == 0; }

    // Destroys every element, oldest first, and frees the blocks.
    void Release() {
        Clear();
        for (Block& block : blocks) ::operator delete(static_cast<void*>(block.items));
        blocks.clear();
        nextCapacity = kFirstBlock;
    }

private:
    static constexpr size_t kFirstBlock = 64;
    static constexpr size_t kLargestGrowth = size_t(1) << 16;

    struct Block {
        T* items;
        size_t used;
        size_t capacity;
        size_t start;  // index of items[0], once the block is in use
    };

    // Appends an empty block; blocks before `current` are full and the ones
    // after it empty, so the new block is taken once those are used up.
    void AddBlock(size_t capacity) {
        T* items = static_cast<T*>(::operator new(capacity * sizeof(T)));
        blocks.push_back(Block{items, 0, capacity, 0});
        // Blocks grow geometrically, so that appending without a reservation
        // takes few blocks.
        nextCapacity = capacity < kLargestGrowth ? capacity * 2 : kLargestGrowth;
    }

    std::vector<Block> blocks;
    size_t current = 0;  // the block that receives the next element
    size_t size = 0;
    size_t nextCapacity = kFirstBlock;
};
