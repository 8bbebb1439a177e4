// Fuzz target: any bytes as a settings file; what the store would write of
// the storable entries reads back as the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/profile/ini_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniMap read;
    ParseIniBytes(std::string(reinterpret_cast<const char*>(data), size), read);
    IniMap storable;
    for (const auto& [key, value] : read)
        if (IsStorableIniEntry(key.first, key.second, value)) storable.emplace(key, value);
    IniMap back;
    ParseIniBytes(FormatIniBytes(storable), back);
    if (back != storable) std::abort();
    (void)ConvertToUtf16LeLf(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
