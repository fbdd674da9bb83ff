// The global allocation functions replaced for one test program, so that it can
// count live blocks or make every allocation fail. The plain and the nothrow
// forms are replaced together (std::stable_sort takes its buffer with the
// nothrow form), so every block is freed by the function that matches its
// allocation. Include from one source file of the program only.
#pragma once

#include <cstdlib>
#include <new>

namespace qel::kit_test {
inline long g_live_blocks = 0;        // blocks allocated and not yet freed
inline bool g_out_of_memory = false;  // while set, every allocation fails
}  // namespace qel::kit_test

// GCC pairs the free() below with the operator new it sees inlined at a call
// site and warns of a mismatch; both are this file's replacements, so they match.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  void* p = qel::kit_test::g_out_of_memory ? nullptr : std::malloc(size != 0 ? size : 1);
  if (p == nullptr) throw std::bad_alloc();
  ++qel::kit_test::g_live_blocks;
  return p;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept {
  if (p != nullptr) --qel::kit_test::g_live_blocks;
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
