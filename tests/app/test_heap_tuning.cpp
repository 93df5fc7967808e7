// The heap's room for one large piece of work: there while it runs, handed back after.

#include "app/heap_tuning.h"

#include <QtTest>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

std::uintptr_t heapTop() {
    return reinterpret_cast<std::uintptr_t>(sbrk(0));
}

constexpr std::uintptr_t kMiB = 1 << 20;

} // namespace

class TestHeapTuning : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { tuneHeapForBatchWork(); }

    void aReservationIsRoomThatGoesBackAfterTheWork() {
        const std::uintptr_t before = heapTop();
        {
            const HeapReservation room(96 * kMiB);
            const std::uintptr_t during = heapTop();
            if (during == before)
                QSKIP("The C heap here does not grow with sbrk (a sanitizer's allocator)");
            QVERIFY(during >= before + 96 * kMiB);
            // The work's allocations find the room: the heap does not grow for them.
            void* volatile piece = std::malloc(8 * kMiB);
            QCOMPARE(heapTop(), during);
            std::free(piece);
            QCOMPARE(heapTop(), during); // nor shrink while the work runs
        }
        // What the work left free goes back, but for the heap's usual step.
        QVERIFY(heapTop() <= before + 32 * kMiB);
    }

    void anEmptyReservationChangesNothing() {
        const std::uintptr_t before = heapTop();
        { const HeapReservation room(0); }
        QVERIFY(heapTop() <= before);
    }
};

QTEST_GUILESS_MAIN(TestHeapTuning)
#include "test_heap_tuning.moc"
