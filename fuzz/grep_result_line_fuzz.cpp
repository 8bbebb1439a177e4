// Fuzz target: any text as a line of sulki's result view; a line taken as a
// hit gives a path that fits a record and a line a 32-bit number holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "grep/engine/grep_result_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
    std::u16string path;
    int line = -1;
    if (ParseGrepResultLine(text, path, line) && (path.empty() || path.size() >= 260 || line < 0)) std::abort();
    return 0;
}
