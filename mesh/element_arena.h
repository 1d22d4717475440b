// ElementArena<T>: the storage of one kind of mesh element. Elements are
// built in place in large blocks, so their addresses stay valid while more
// are added, and a whole model is released block by block instead of element
// by element. Destructors still run, in creation order.
#pragma once

#include <cassert>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

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
        if (room < count) AddBlock(count - room);
    }

    // Builds a T from `args` and returns it.
    template <class... Args>
    T* Create(Args&&... args) {
        while (current < blocks.size() && blocks[current].used == blocks[current].capacity) ++current;
        if (current == blocks.size()) AddBlock(nextCapacity);
        Block& block = blocks[current];
        T* element = new (block.items + block.used) T(std::forward<Args>(args)...);
        ++block.used;
        return element;
    }

    // Destroys every element, oldest first. The blocks are kept for the
    // next elements: a model that is reloaded (as after turning its faces)
    // reuses the memory it already has.
    void Clear() {
        for (Block& block : blocks) {
            // The arena built these as T: no virtual dispatch is needed.
            for (size_t i = 0; i < block.used; ++i) block.items[i].T::~T();
            block.used = 0;
        }
        current = 0;
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
    }

    // Exchanges the elements and blocks of two arenas; no element moves.
    void Swap(ElementArena& other) {
        blocks.swap(other.blocks);
        std::swap(current, other.current);
        std::swap(nextCapacity, other.nextCapacity);
    }

    // Whether the arena holds no elements.
    bool Empty() const {
        for (const Block& block : blocks)
            if (block.used != 0) return false;
        return true;
    }

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
    };

    // Appends an empty block; blocks before `current` are full and the ones
    // after it empty, so the new block is taken once those are used up.
    void AddBlock(size_t capacity) {
        T* items = static_cast<T*>(::operator new(capacity * sizeof(T)));
        blocks.push_back(Block{items, 0, capacity});
        // Blocks grow geometrically, so that appending without a reservation
        // takes few blocks.
        nextCapacity = capacity < kLargestGrowth ? capacity * 2 : kLargestGrowth;
    }

    std::vector<Block> blocks;
    size_t current = 0;  // the block that receives the next element
    size_t nextCapacity = kFirstBlock;
};
