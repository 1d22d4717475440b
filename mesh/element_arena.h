// ElementArena<T>: the storage of one kind of mesh element. Elements are
// built in place in large blocks, so their addresses stay valid while more
// are added, and a whole model is freed block by block instead of element by
// element. Destructors still run, in creation order.
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

template <class T>
class ElementArena {
public:
    ElementArena() {}
    ~ElementArena() { Clear(); }
    ElementArena(const ElementArena&) = delete;
    ElementArena& operator=(const ElementArena&) = delete;

    // Makes room for `count` more elements in one block.
    void Reserve(size_t count) {
        if (count == 0) return;
        if (blocks.empty() || blocks.back().capacity - blocks.back().used < count) AddBlock(count);
    }

    // Builds a T from `args` and returns it.
    template <class... Args>
    T* Create(Args&&... args) {
        if (blocks.empty() || blocks.back().used == blocks.back().capacity) AddBlock(nextCapacity);
        Block& block = blocks.back();
        T* element = new (block.items + block.used) T(std::forward<Args>(args)...);
        ++block.used;
        return element;
    }

    // Destroys every element, oldest first, and frees the blocks.
    void Clear() {
        for (Block& block : blocks) {
            for (size_t i = 0; i < block.used; ++i) block.items[i].~T();
            ::operator delete(static_cast<void*>(block.items));
        }
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

    void AddBlock(size_t capacity) {
        T* items = static_cast<T*>(::operator new(capacity * sizeof(T)));
        blocks.push_back(Block{items, 0, capacity});
        // Blocks grow geometrically, so that appending without a reservation
        // takes few blocks.
        nextCapacity = capacity < kLargestGrowth ? capacity * 2 : kLargestGrowth;
    }

    std::vector<Block> blocks;
    size_t nextCapacity = kFirstBlock;
};
