// Numbered blocks of work computed on several threads and handed on strictly
// in order, so that what comes out is byte for byte what one thread makes.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrova::plan {

// Computes blocks 0 to count - 1 and hands each to sink(const Block&) in
// order. Each thread has a worker of its own, made by makeWorker(), and
// fills a block with compute(worker, index, block). A worker runs at most a
// few blocks ahead of the sink, so memory stays flat however many blocks
// there are. A failure in a worker is raised here, after the threads end.
template <class Block, class MakeWorker, class Compute, class Sink>
void RunInOrder(long long count, unsigned threads, MakeWorker makeWorker, Compute compute, Sink sink) {
    if (threads <= 1 || count <= 1) {
        auto worker = makeWorker();
        Block block;
        for (long long index = 0; index < count; ++index) {
            compute(worker, index, block);
            sink(static_cast<const Block&>(block));
        }
        return;
    }
    // Each slot on cache lines of its own: a worker appends to its block
    // all the time, and must not slow the other down.
    struct alignas(128) Slot {
        Block block;
        bool ready = false;
    };
    std::vector<Slot> slots(2 * static_cast<std::size_t>(threads));
    std::atomic<long long> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    long long written = 0;
    bool stop = false;
    std::exception_ptr failure;

    const auto work = [&] {
        try {
            auto worker = makeWorker();
            for (;;) {
                const long long index = next.fetch_add(1);
                if (index >= count) return;
                Slot& slot = slots[static_cast<std::size_t>(index) % slots.size()];
                {
                    std::unique_lock lock(mutex);
                    // The slot is free once the block it held before has been handed on.
                    changed.wait(
                        lock, [&] { return stop || written + static_cast<long long>(slots.size()) > index; });
                    if (stop) return;
                }
                compute(worker, index, slot.block);
                {
                    const std::lock_guard lock(mutex);
                    slot.ready = true;
                }
                changed.notify_all();
            }
        } catch (...) {
            const std::lock_guard lock(mutex);
            if (!failure) failure = std::current_exception();
            stop = true;
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    const auto finish = [&] {
        {
            const std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
        for (std::thread& thread : workers) thread.join();
    };
    for (unsigned i = 0; i < threads; ++i) workers.emplace_back(work);
    try {
        for (long long index = 0; index < count; ++index) {
            Slot& slot = slots[static_cast<std::size_t>(index) % slots.size()];
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return slot.ready || failure; });
                if (failure) break;
            }
            sink(static_cast<const Block&>(slot.block));
            {
                const std::lock_guard lock(mutex);
                slot.ready = false;
                written = index + 1;
            }
            changed.notify_all();
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace kestrova::plan
