// Work split over the machine's cores: decoding rows of a plane and combining rows
// of pixels are independent, and each piece writes only its own bytes, so the result
// does not depend on how many cores take part.
#include "Core/Psd/PsdReader.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

// Set on the workers: work they start themselves runs on the worker, so that pieces
// never wait for threads of their own.
thread_local bool tInsideWorker = false;

} // namespace

u32 PsdWorkerCount()
{
    if (tInsideWorker)
        return 1;
    const u32 cores = std::thread::hardware_concurrency();
    return std::clamp<u32>(cores, 1, 16);
}

void PsdParallelFor(u32 count, const std::function<void(u32)>& work)
{
    const u32 workers = std::min(PsdWorkerCount(), count);
    if (workers <= 1) {
        for (u32 i = 0; i < count; ++i)
            work(i);
        return;
    }
    std::atomic<u32> next{0};
    const auto run = [&] {
        tInsideWorker = true;
        for (u32 i = next++; i < count; i = next++)
            work(i);
        tInsideWorker = false;
    };
    std::vector<std::thread> threads;
    threads.reserve(workers - 1);
    for (u32 t = 1; t < workers; ++t)
        threads.emplace_back(run);
    run();
    for (std::thread& thread : threads)
        thread.join();
}
