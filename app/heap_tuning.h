#pragma once

// How the C heap serves a program that builds one large thing at a time: the
// export command, and the window program's "Start Creating Template". A
// 10,000-entry list takes some 20 MB of short strings, cells and output bytes
// (and the window's generation 60 MB with the sheet's picture), and on a virtual
// machine first-touch page faults for that memory cost as much as building it.
// The heap is therefore grown in one step, kept rather than handed back and
// mapped afresh for every large buffer, and asked for transparent huge pages
// (where the kernel gives them on request), which turns thousands of faults into
// a few dozen.

#include <cstddef>

// Call once, first thing in main. Linux with glibc; a no-op elsewhere.
void tuneHeapForBatchWork();

// Room at the heap's top for one large piece of work, in huge pages where the
// kernel gives them, kept while the object lives; what is left free of it goes
// back to the system afterwards. A no-op where tuneHeapForBatchWork is.
class HeapReservation {
public:
    explicit HeapReservation(std::size_t bytes);
    ~HeapReservation();
    HeapReservation(const HeapReservation&) = delete;
    HeapReservation& operator=(const HeapReservation&) = delete;
};
