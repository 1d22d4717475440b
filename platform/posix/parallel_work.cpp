#include "platform/parallel_work.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

size_t ParallelWorkers() {
    static const size_t workers = std::max(1u, std::thread::hardware_concurrency());
    return workers;
}

namespace {

constexpr size_t kNone = SIZE_MAX;

// The shared state of one MakeAndUseInOrder: which piece is made next, how
// many are used, which piece each slot holds made, and the first failure.
class OrderedPieces {
public:
    OrderedPieces(size_t count, size_t slots, const std::function<void(size_t, size_t)>& make)
        : count_(count), slots_(slots), make_(make), ready_(slots, kNone) {}

    // Makes pieces until none is left or the work stops.
    void Help() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stopped_ || next_ >= count_ || next_ < used_ + slots_; });
            if (stopped_ || next_ >= count_) return;
            MakeNext(lock);
        }
    }

    // Waits until piece i is made, making others meanwhile when it may;
    // false when the work stopped.
    bool Await(size_t i) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (ready_[i % slots_] != i) {
            if (stopped_) return false;
            if (next_ < count_ && next_ < used_ + slots_)
                MakeNext(lock);
            else
                changed_.wait(lock);
        }
        return !stopped_;
    }

    // Frees the slot of the piece just used.
    void Used() {
        const std::lock_guard<std::mutex> hold(mutex_);
        ++used_;
        changed_.notify_all();
    }

    // Stops the work with the failure in flight, unless one came first.
    void Stop(std::exception_ptr failure) {
        const std::lock_guard<std::mutex> hold(mutex_);
        if (!failure_) failure_ = failure;
        stopped_ = true;
        changed_.notify_all();
    }

    std::exception_ptr Failure() const { return failure_; }

private:
    // Claims the next piece and makes it with the lock released.
    void MakeNext(std::unique_lock<std::mutex>& lock) {
        const size_t i = next_++;
        lock.unlock();
        try {
            make_(i, i % slots_);
        } catch (...) {
            lock.lock();
            if (!failure_) failure_ = std::current_exception();
            stopped_ = true;
            changed_.notify_all();
            return;
        }
        lock.lock();
        ready_[i % slots_] = i;
        changed_.notify_all();
    }

    const size_t count_, slots_;
    const std::function<void(size_t, size_t)>& make_;
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t next_ = 0;  // the next piece to make
    size_t used_ = 0;  // pieces used
    std::vector<size_t> ready_;  // per slot, the piece made in it
    bool stopped_ = false;
    std::exception_ptr failure_;
};

}  // namespace

void MakeAndUseInOrder(size_t count, size_t slots, const std::function<void(size_t, size_t)>& make,
                       const std::function<void(size_t, size_t)>& use) {
    const size_t threads = std::min(count, ParallelWorkers());
    if (threads <= 1 || slots < 2) {
        for (size_t i = 0; i < count; ++i) {
            make(i, 0);
            use(i, 0);
        }
        return;
    }
    OrderedPieces pieces(count, slots, make);
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    for (size_t t = 1; t < threads; ++t) helpers.emplace_back([&pieces] { pieces.Help(); });
    try {
        for (size_t i = 0; i < count && pieces.Await(i); ++i) {
            use(i, i % slots);
            pieces.Used();
        }
    } catch (...) {
        pieces.Stop(std::current_exception());
    }
    for (std::thread& helper : helpers) helper.join();
    if (pieces.Failure()) std::rethrow_exception(pieces.Failure());
}
