#include "app/heap_tuning.h"

#include <cstdint>
#include <cstdlib> // before the test below: it defines __GLIBC__

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <vector>
#endif

namespace {

#if defined(__linux__) && defined(__GLIBC__)
constexpr int kHeapStep = 32 << 20;  // the first growth holds a 10,000-entry export
constexpr int kKeepBelow = 32 << 20; // buffers up to this size (glibc's most) come from the heap and stay
constexpr std::uintptr_t kHugePage = 2 << 20;

std::uintptr_t heapTop() {
    return reinterpret_cast<std::uintptr_t>(sbrk(0));
}

// Asks for huge pages on the whole pages of the heap between from and to.
void adviseHugePages(std::uintptr_t from, std::uintptr_t to) {
    const std::uintptr_t first = (from + kHugePage - 1) & ~(kHugePage - 1);
    if (to > first + kHugePage)
        madvise(reinterpret_cast<void*>(first), (to - first) & ~(kHugePage - 1), MADV_HUGEPAGE);
}
#endif

} // namespace

void tuneHeapForBatchWork() {
#if defined(__linux__) && defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, kKeepBelow);
    mallopt(M_TRIM_THRESHOLD, kKeepBelow);
    mallopt(M_TOP_PAD, kHeapStep);
    // One allocation past what the heap holds grows it by kHeapStep; freeing it
    // leaves the room at the heap's top for what follows.
    const std::uintptr_t before = heapTop();
    void* volatile probe = std::malloc(1 << 20); // volatile: the compiler may not drop the pair
    std::free(probe);
    adviseHugePages(before, heapTop());
#endif
}

HeapReservation::HeapReservation([[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(__GLIBC__)
    // Freed room stays at the heap's top until the work is done.
    mallopt(M_TRIM_THRESHOLD, INT32_MAX);
    const std::uintptr_t before = heapTop();
    // Pieces below the mmap threshold come from the heap's top and, freed, join it.
    constexpr std::size_t kPiece = std::size_t(kKeepBelow) / 2;
    std::vector<void*> pieces;
    for (std::size_t held = 0; held < bytes; held += kPiece)
        pieces.push_back(std::malloc(kPiece));
    for (void* piece : pieces)
        std::free(piece);
    adviseHugePages(before, heapTop());
#endif
}

HeapReservation::~HeapReservation() {
#if defined(__linux__) && defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, kKeepBelow);
    malloc_trim(std::size_t(kHeapStep));
#endif
}
