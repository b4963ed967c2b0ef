#pragma once

#include <cstddef>

namespace platform {

// Copies n bytes out of a memory-mapped view. A mapped file that shrinks or
// whose medium disappears raises SIGBUS on access; inside this copy the fault
// is caught and the call returns false instead of killing the process.
// Every read of mapped file memory goes through here.
bool GuardedCopy(void* dst, const void* src, std::size_t n);

}  // namespace platform
