// The adjacency lists of mesh elements: short growable arrays of plain values
// (a vertex inside a quad grid has four edges and four polygons, inside a
// triangle grid six of each; an edge has one or two polygons).
//
// SmallStorage<T, N> keeps the first N values inside the object and moves
// to the heap only when the list outgrows them. The length is kept by the
// owner and passed in, so that an element can pack the lengths of its lists
// beside its other small fields; the heap block's capacity follows from the
// length. ListView<T> is what an element hands out: the values, read-only.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "mesh/element_heap.h"

template <class T>
class ListView {
public:
    ListView(const T* data, uint32_t size) : data_(data), size_(size) {}

    uint32_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }

    const T& operator[](uint32_t i) const {
        assert(i < size_);
        return data_[i];
    }
    const T& back() const {
        assert(size_ > 0);
        return data_[size_ - 1];
    }
    bool contains(const T& value) const {
        for (const T& item : *this)
            if (item == value) return true;
        return false;
    }

private:
    const T* data_;
    uint32_t size_;
};

template <class T, uint32_t N>
class SmallStorage {
    static_assert(std::is_trivially_copyable<T>::value, "SmallStorage holds plain values");
    static_assert(N > 0, "SmallStorage needs an inline capacity");

public:
    SmallStorage() {}
    SmallStorage(const SmallStorage&) = delete;
    SmallStorage& operator=(const SmallStorage&) = delete;

    T* data(uint32_t size) { return size > N ? heap_ : inline_; }
    const T* data(uint32_t size) const { return size > N ? heap_ : inline_; }
    ListView<T> view(uint32_t size) const { return ListView<T>(data(size), size); }

    // Appends `value` to the list of `size` values and counts it in `size`.
    void push_back(uint32_t& size, const T& value) {
        if (size == Capacity(size)) Grow(size);
        data(size + 1)[size] = value;
        ++size;
    }

    // Gives the heap block of a list of `size` values back; the owner's
    // destructor calls it.
    void release(uint32_t size) {
        if (size <= N) return;
        std::free(heap_);
        element_heap::Gave();
    }

private:
    // The room a list of `size` values has: N inside, then blocks of 2N,
    // 4N, ... on the heap.
    static uint32_t Capacity(uint32_t size) {
        if (size <= N) return N;
        uint32_t capacity = 2 * N;
        while (capacity < size) capacity *= 2;
        return capacity;
    }

    void Grow(uint32_t size) {
        const uint32_t capacity = size <= N ? 2 * N : 2 * Capacity(size);
        T* heap = static_cast<T*>(std::malloc(sizeof(T) * capacity));
        if (!heap) throw std::bad_alloc();
        std::memcpy(static_cast<void*>(heap), data(size), sizeof(T) * size);
        if (size > N)
            std::free(heap_);
        else
            element_heap::Took();
        heap_ = heap;
    }

    union {
        T inline_[N];
        T* heap_;
    };
};
