#include "editctrl/core/transfer_text.h"

#include <algorithm>
#include <cstring>

namespace transfer {

std::u16string TextOfBlock(const void* block, std::size_t bytes) {
    if (!block) return {};
    const std::size_t units = bytes / sizeof(char16_t);
    std::u16string text(units, u'\0');
    std::memcpy(text.data(), block, units * sizeof(char16_t));
    const std::size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos) text.resize(nul);
    return text;
}

std::size_t NarrowLengthOfBlock(const void* block, std::size_t bytes) {
    if (!block) return 0;
    const void* nul = std::memchr(block, 0, bytes);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - static_cast<const char*>(block)) : bytes;
}

bool MarkerSaysBox(const void* block, std::size_t bytes) {
    // "TRUE" and its terminator, within the block.
    return TextOfBlock(block, std::min<std::size_t>(bytes, 5 * sizeof(char16_t))) == u"TRUE";
}

void FillMarker(void* block, bool box) {
    std::memset(block, 0, kBoxMarkerBytes);
    const char16_t* value = box ? u"TRUE" : u"FALSE";
    std::memcpy(block, value, (box ? 4 : 5) * sizeof(char16_t));
}

std::u16string LinkAddress(std::u16string_view link) {
    for (std::u16string_view web : {u"http://", u"https://", u"ftp://"})
        if (link.substr(0, web.size()) == web) return std::u16string(link);
    if (link.substr(0, 4) == u"www.") return u"http://" + std::u16string(link);
    return u"mailto:" + std::u16string(link);
}

}  // namespace transfer
