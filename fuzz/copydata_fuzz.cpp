// Fuzz target: any payload as each record the editors and sulki send each
// other; a record that reads is made again from what was read and reads the
// same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "util/copydata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string path, mode;
    int line = 0;
    if (ReadPathRecord(data, size, path)) {
        CopyDataPath again;
        std::u16string path2;
        if (!MakePathRecord(path, again) || !ReadPathRecord(&again, sizeof again, path2) || path2 != path)
            std::abort();
    }
    if (ReadOpenAtLineRecord(data, size, path, line, mode)) {
        CopyDataOpenAtLine again;
        std::u16string path2, mode2;
        int line2 = 0;
        if (!MakeOpenAtLineRecord(path, line, mode, again) ||
            !ReadOpenAtLineRecord(&again, sizeof again, path2, line2, mode2) || path2 != path || line2 != line ||
            mode2 != mode)
            std::abort();
    }
    CopyDataOpenAndSearch search;
    (void)ReadOpenAndSearchRecord(data, size, search);
    return 0;
}
