// The PNG row filters, undone a whole row at a time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sf {

// Undoes filter `type` of one row of `n` bytes: out[i] = in[i] + the filter's prediction from
// the bytes `bpp` to the left in out (0 for the first bpp bytes) and from `prev`, the row above
// as already unfiltered (all zeros above the first row). in, out and prev are three buffers;
// out may be written up to `n` bytes only. False for a filter type other than 0 to 4, with out
// then as it was.
bool UnfilterRow(uint8_t type, const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n, size_t bpp);

// The same one byte at a time, on every machine: what UnfilterRow must give.
bool UnfilterRowPortable(uint8_t type, const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n, size_t bpp);

}  // namespace sf
