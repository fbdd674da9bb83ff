// Write pointer movement in page, horizontal and vertical addressing modes.
#include "emulator/addressing.h"

#include <cassert>

namespace qel::emu {

namespace {

constexpr int kLastPage = kPages - 1;

// Steps the column within the 0x21 range; returns true when it wrapped. A
// pointer put outside the range by other commands runs on to the last column.
bool step_column(Registers& r, int last_column) {
  if (r.column == r.column_range_end || r.column == last_column) {
    r.column = r.column_range_start;
    return true;
  }
  ++r.column;
  return false;
}

// Steps the page within the 0x22 range; returns true when it wrapped.
bool step_page(Registers& r) {
  if (r.page == r.page_range_end || r.page == kLastPage) {
    r.page = r.page_range_start;
    return true;
  }
  ++r.page;
  return false;
}

}  // namespace

void advance_write_pointer(Registers& r, ColumnWrap wrap, int last_column) {
  assert(r.column <= last_column && r.page < kPages);
  switch (r.addressing_mode) {
    case AddressingMode::Page:
      if (r.column == last_column) {
        r.column = wrap == ColumnWrap::Start ? r.column_start : 0;
      } else {
        ++r.column;
      }
      break;
    case AddressingMode::Horizontal:
      if (step_column(r, last_column)) step_page(r);
      break;
    case AddressingMode::Vertical:
      if (step_page(r)) step_column(r, last_column);
      break;
  }
}

}  // namespace qel::emu
