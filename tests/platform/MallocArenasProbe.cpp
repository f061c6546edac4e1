// Child process of the arena test: in a fresh process (no thread yet), optionally limits the
// allocator's arenas, then lets several threads hold memory at the same time, as a movie
// engine's decoding and drawing threads do, and prints how many arenas the allocator made.
// Prints "unsupported" when the allocator does not take the limit.
#include <malloc.h>

#include <barrier>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/MallocArenas.h"

namespace {

constexpr int kThreads = 8;

// glibc describes each arena as one <heap> element of its malloc_info() report.
int arenaCount() {
    char* text = nullptr;
    size_t size = 0;
    FILE* report = open_memstream(&text, &size);
    malloc_info(0, report);
    std::fclose(report);
    int count = 0;
    for (const char* at = text; (at = std::strstr(at, "<heap nr=")) != nullptr; ++at) {
        ++count;
    }
    std::free(text);
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const int limit = argc > 1 ? std::atoi(argv[1]) : 0;
    if (limit > 0 && !cinevan::limitMallocArenas(limit)) {
        std::puts("unsupported");
        return 0;
    }
    // The blocks are freed by the main thread: a block that never escaped its thread could
    // be optimised away with its malloc().
    std::vector<void*> blocks(kThreads, nullptr);
    std::barrier allHolding(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&blocks, &allHolding, i] {
            blocks[i] = std::malloc(4096);
            allHolding.arrive_and_wait();
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const int count = arenaCount();
    for (void* block : blocks) {
        std::free(block);
    }
    std::printf("%d\n", count);
    return 0;
}
