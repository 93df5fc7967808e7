#include "app/heap_tuning.h"

#include <cstdint>
#include <cstdlib> // before the test below: it defines __GLIBC__

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

void tuneHeapForBatchWork() {
#if defined(__linux__) && defined(__GLIBC__)
    constexpr int kHeapStep = 32 << 20;  // the first growth holds a 10,000-entry export
    constexpr int kKeepBelow = 32 << 20; // buffers up to this size (glibc's most) come from the heap and stay
    constexpr std::uintptr_t kHugePage = 2 << 20;
    mallopt(M_MMAP_THRESHOLD, kKeepBelow);
    mallopt(M_TRIM_THRESHOLD, kKeepBelow);
    mallopt(M_TOP_PAD, kHeapStep);
    // One allocation past what the heap holds grows it by kHeapStep; freeing it
    // leaves the room at the heap's top for what follows.
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    void* volatile probe = std::malloc(1 << 20); // volatile: the compiler may not drop the pair
    std::free(probe);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t first = (before + kHugePage - 1) & ~(kHugePage - 1);
    if (after > first + kHugePage)
        madvise(reinterpret_cast<void*>(first), (after - first) & ~(kHugePage - 1), MADV_HUGEPAGE);
#endif
}
