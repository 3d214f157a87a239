// The comparator that sorts arm lengths ascending with the standard qsort.
#pragma once

namespace core {

// Compares the two ints at a and b: negative, zero or positive as *a is less than, equal to
// or greater than *b. The value is *a - *b whenever that difference fits in an int.
int cmpfunc(const void* a, const void* b);

}  // namespace core
