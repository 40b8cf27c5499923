#include "app/sweep/pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace agv {

namespace {

/// How often the calling thread reports progress while it waits.
constexpr std::chrono::milliseconds kTickInterval{100};

}  // namespace

bool runSweepPoints(const std::vector<std::unique_ptr<SweepRunner>>& runners,
                    const Scenario& scenario, std::size_t total, const SweepValues& valuesOf,
                    const SweepDelivery& deliver, const SweepTick& tick, const SweepStop& stop) {
    std::vector<std::unique_ptr<PointResult>> slots(total);
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable ready;
    std::size_t done = 0;
    std::atomic<bool> stopping{false};

    const auto work = [&](SweepRunner& runner) {
        while (!stopping.load()) {
            const std::size_t i = next.fetch_add(1);
            if (i >= total) return;
            // A stop also ends the run in hand: its result is never delivered.
            auto result =
                std::make_unique<PointResult>(runner.run(scenario, valuesOf(i), &stopping));
            {
                std::lock_guard<std::mutex> lock(mutex);
                slots[i] = std::move(result);
                ++done;
            }
            ready.notify_one();
        }
    };
    const std::size_t threads = std::min(runners.size(), total);
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t < threads; ++t)
        workers.emplace_back(work, std::ref(*runners[t]));

    // Results go out in grid order as soon as all before them are in.
    std::size_t delivered = 0;
    while (delivered < total) {
        std::unique_ptr<PointResult> result;
        std::size_t doneNow = 0;
        {
            std::unique_lock<std::mutex> lock(mutex);
            ready.wait_for(lock, kTickInterval, [&] { return slots[delivered] != nullptr; });
            result = std::move(slots[delivered]);
            doneNow = done;
        }
        tick(doneNow);
        if (stop && stop()) {
            stopping.store(true);
            break;
        }
        if (result == nullptr) continue;
        deliver(delivered, *result);
        ++delivered;
    }
    for (std::thread& worker : workers)
        worker.join();
    return delivered == total;
}

}  // namespace agv
