// Running independent pieces of a computation side by side. Where the platform has no
// threads (a WebAssembly build without them) the pieces run one after another in the
// calling thread, with the same results.
#pragma once

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define AGV_HAVE_THREADS 0
#else
#define AGV_HAVE_THREADS 1
#include <thread>
#include <vector>
#endif

namespace agv {

inline constexpr bool kThreadsAvailable = AGV_HAVE_THREADS != 0;

/// Calls work(0) ... work(count - 1), each in its own thread (the last in the calling
/// thread), and returns when all are done.
template <typename Work>
void runConcurrently(int count, Work work) {
#if AGV_HAVE_THREADS
    std::vector<std::thread> threads;
    for (int i = 0; i + 1 < count; ++i)
        threads.emplace_back(work, i);
    if (count > 0) work(count - 1);
    for (std::thread& thread : threads)
        thread.join();
#else
    for (int i = 0; i < count; ++i)
        work(i);
#endif
}

}  // namespace agv
