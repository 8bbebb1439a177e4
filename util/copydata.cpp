#include "util/copydata.h"

#include <cstring>

namespace {

bool Terminated(const char16_t* field, int units) {
    for (int i = 0; i < units; ++i)
        if (field[i] == 0) return true;
    return false;
}

// The payload copied into a record of its exact size (alignment-safe).
template <class Record>
bool CopyPayload(const void* data, std::size_t size, Record& out) {
    if (!data || size != sizeof(Record)) return false;
    std::memcpy(&out, data, sizeof(Record));
    return true;
}

}  // namespace

bool FillRecordText(char16_t* field, int units, std::u16string_view text) {
    std::memset(field, 0, sizeof(char16_t) * static_cast<std::size_t>(units));
    if (text.size() >= static_cast<std::size_t>(units) || text.find(char16_t(0)) != std::u16string_view::npos)
        return false;
    std::memcpy(field, text.data(), text.size() * sizeof(char16_t));
    return true;
}

bool MakePathRecord(std::u16string_view path, CopyDataPath& out) {
    return FillRecordText(out.path, kCopyDataPathUnits, path);
}

bool MakeOpenAtLineRecord(std::u16string_view path, int line, std::u16string_view mode, CopyDataOpenAtLine& out) {
    std::memset(&out, 0, sizeof out);
    out.line = line;
    FillRecordText(out.mode, kCopyDataModeUnits, mode);
    return FillRecordText(out.path, kCopyDataPathUnits, path);
}

bool MakeOpenAndSearchRecord(std::u16string_view path, std::u16string_view pattern, bool matchCase,
                             bool widthSensitive, bool regex, int line, CopyDataOpenAndSearch& out) {
    std::memset(&out, 0, sizeof out);
    out.matchCase = matchCase;
    out.widthSensitive = widthSensitive;
    out.regex = regex;
    out.line = line;
    return FillRecordText(out.path, kCopyDataPathUnits, path) &&
           FillRecordText(out.pattern, kCopyDataPatternUnits, pattern);
}

bool ReadPathRecord(const void* data, std::size_t size, std::u16string& path) {
    CopyDataPath rec;
    if (!CopyPayload(data, size, rec) || !Terminated(rec.path, kCopyDataPathUnits)) return false;
    path = rec.path;
    return true;
}

bool ReadOpenAtLineRecord(const void* data, std::size_t size, std::u16string& path, int& line, std::u16string& mode) {
    CopyDataOpenAtLine rec;
    if (!CopyPayload(data, size, rec) || !Terminated(rec.path, kCopyDataPathUnits) ||
        !Terminated(rec.mode, kCopyDataModeUnits))
        return false;
    path = rec.path;
    line = rec.line;
    mode = rec.mode;
    return true;
}

bool ReadOpenAndSearchRecord(const void* data, std::size_t size, CopyDataOpenAndSearch& out) {
    CopyDataOpenAndSearch rec;
    if (!CopyPayload(data, size, rec) || !Terminated(rec.path, kCopyDataPathUnits) ||
        !Terminated(rec.pattern, kCopyDataPatternUnits))
        return false;
    out = rec;
    return true;
}
