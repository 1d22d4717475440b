// A growable array of trivially copyable values that keeps its first N values
// inside the object and moves to the heap only when it outgrows them. Mesh
// adjacency lists are short (a vertex inside a quad grid has four edges and
// four polygons, inside a triangle grid six of each), so most lists never
// allocate.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

template <class T, uint32_t N>
class SmallVector {
    static_assert(std::is_trivially_copyable<T>::value, "SmallVector holds plain values");
    static_assert(N > 0, "SmallVector needs an inline capacity");

public:
    SmallVector() {}
    ~SmallVector() {
        if (capacity_ > N) std::free(heap_);
    }
    SmallVector(const SmallVector&) = delete;
    SmallVector& operator=(const SmallVector&) = delete;

    uint32_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T* data() { return capacity_ > N ? heap_ : inline_; }
    const T* data() const { return capacity_ > N ? heap_ : inline_; }
    T* begin() { return data(); }
    T* end() { return data() + size_; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size_; }

    T& operator[](uint32_t i) {
        assert(i < size_);
        return data()[i];
    }
    const T& operator[](uint32_t i) const {
        assert(i < size_);
        return data()[i];
    }
    const T& back() const {
        assert(size_ > 0);
        return data()[size_ - 1];
    }

    bool contains(const T& value) const {
        for (const T& item : *this)
            if (item == value) return true;
        return false;
    }

    void push_back(const T& value) {
        if (size_ == capacity_) Grow();
        data()[size_++] = value;
    }

private:
    void Grow() {
        uint32_t capacity = capacity_ * 2;
        T* heap = static_cast<T*>(std::malloc(sizeof(T) * capacity));
        if (!heap) throw std::bad_alloc();
        std::memcpy(static_cast<void*>(heap), data(), sizeof(T) * size_);
        if (capacity_ > N) std::free(heap_);
        heap_ = heap;
        capacity_ = capacity;
    }

    uint32_t size_ = 0;
    uint32_t capacity_ = N;
    union {
        T inline_[N];
        T* heap_;
    };
};
