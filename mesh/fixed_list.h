// A list of at most N plain values stored inline, for the parts of a polygon
// that are bounded by construction (edges, corners, UV pairs).
#pragma once

#include <cassert>
#include <cstdint>
#include <type_traits>

template <class T, uint32_t N>
class FixedList {
    static_assert(std::is_trivially_copyable<T>::value, "FixedList holds plain values");

public:
    FixedList() {}

    uint32_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    bool full() const { return size_ == N; }

    const T* begin() const { return items_; }
    const T* end() const { return items_ + size_; }

    const T& operator[](uint32_t i) const {
        assert(i < size_);
        return items_[i];
    }

    // Entry i, or `none` when i is not below size().
    T get(uint32_t i, T none) const { return (i < size_ && i < N) ? items_[i] : none; }

    // Appends a value; a full list keeps what it has (callers never fill one).
    void push_back(const T& value) {
        assert(size_ < N);
        if (size_ < N) items_[size_++] = value;
    }

    void clear() { size_ = 0; }

private:
    uint32_t size_ = 0;
    T items_[N];
};
