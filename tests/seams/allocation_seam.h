// The allocation seam of the test builds: operator new, replaced, counts
// every allocation made through it and can be told to fail one of them, as
// a machine out of memory would. The throwing forms then throw
// std::bad_alloc, the nothrow forms return null.
#ifndef QUILLSPUR_TESTS_SEAMS_ALLOCATION_SEAM_H
#define QUILLSPUR_TESTS_SEAMS_ALLOCATION_SEAM_H

namespace seams {

// Allocations through operator new since the process began.
unsigned long AllocationCount();
// The nth allocation after this call fails (1: the next one); 0 fails none.
// Only that one: the allocations after it succeed again.
void FailAllocation(unsigned long n);

}  // namespace seams

#endif
