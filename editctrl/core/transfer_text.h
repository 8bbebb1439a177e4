// Text that crosses process boundaries: clipboard and drop blocks come from
// other programs, so every read is bounded by the block's size; and the
// address a link opens.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace transfer {

// The box marker's registered format name and its two values.
inline constexpr const char16_t kBoxFormatName[] = u"TORKA_EditCtrl_CF_IS_BOX_UNICODE";
// Bytes of the marker block.
inline constexpr std::size_t kBoxMarkerBytes = 20;

// UTF-16 text of a block of bytes: up to its first NUL, never past its end.
std::u16string TextOfBlock(const void* block, std::size_t bytes);
// Bytes of a narrow text block up to its first NUL, never past its end.
std::size_t NarrowLengthOfBlock(const void* block, std::size_t bytes);
// Whether a marker block says "TRUE" (compared within its size).
bool MarkerSaysBox(const void* block, std::size_t bytes);
// Fills a 20-byte marker block with "TRUE" or "FALSE".
void FillMarker(void* block, bool box);

// The address a link text opens: web addresses as they are, "www." ones
// with "http://" before them, anything else as a mail address.
std::u16string LinkAddress(std::u16string_view link);

}  // namespace transfer
