#pragma once

// How the C heap serves a program that builds one large thing and ends: the
// export command. A 10,000-entry list takes some 20 MB of short strings, cells
// and output bytes, and on a virtual machine first-touch page faults for that
// memory cost as much as building it. The heap is therefore grown in one step,
// kept rather than handed back and mapped afresh for every large buffer, and
// asked for transparent huge pages (where the kernel gives them on request),
// which turns thousands of faults into a few dozen.

// Call once, first thing in main. Linux with glibc; a no-op elsewhere.
void tuneHeapForBatchWork();
