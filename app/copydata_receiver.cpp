#include "app/copydata_receiver.h"

#include "framework/wide.h"

LRESULT DispatchCopyData(const COPYDATASTRUCT* cds, CCopyDataTarget& target, bool& handled) {
    handled = false;
    if (!cds) return 0;
    // Nothing we receive is larger than the open-and-search record: a
    // larger payload is refused whatever its code says.
    if (cds->cbData > kLargestCopyDataRecord) {
        handled = true;
        return 0;
    }
    std::u16string path;
    switch (cds->dwData) {
    case CD_QUERY_FILE_OPEN:
    case CD_OPEN_FILE:
    case CD_ACTIVATE_FILE: {
        handled = true;
        if (!ReadPathRecord(cds->lpData, cds->cbData, path)) return 0;
        const std::wstring p = ToWide(path);
        if (cds->dwData == CD_QUERY_FILE_OPEN) return target.IsFileOpen(p);
        if (cds->dwData == CD_OPEN_FILE) return target.OpenFile(p);
        return target.ActivateFile(p);
    }
    case CD_OPEN_AT_LINE: {
        handled = true;
        int line = -1;
        std::u16string mode;
        if (!ReadOpenAtLineRecord(cds->lpData, cds->cbData, path, line, mode)) return 0;
        return target.OpenAtLine(ToWide(path), line, ToWide(mode));
    }
    case CD_OPEN_AND_SEARCH: {
        handled = true;
        CopyDataOpenAndSearch record;
        if (!ReadOpenAndSearchRecord(cds->lpData, cds->cbData, record)) return 0;
        return target.OpenAndSearch(record);
    }
    default:
        return 0;
    }
}
