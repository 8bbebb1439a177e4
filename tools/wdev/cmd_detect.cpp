// wdev detect FILE: prints "<encoding> <line end>", their stored numbers, as
// a load would detect them (Shift_JIS when nothing tells).
#include "textengine/kanjitextfile.h"
#include "util/file_error_text.h"
#include "wdev_command.h"

namespace {

int run_detect(const wdev::Args& args) {
    if (args.size() != 1) return wdev::usage_error("detect takes one file");
    std::u16string path = Utf8ToUtf16(args[0]);
    CKanjiTextFile file;
    if (!file.Open(path.c_str(), "r")) {
        std::fprintf(stderr, "wdev: cannot open %s: %s\n", args[0].c_str(),
                     PathToUtf8(FileErrorMessage(file.Error()).c_str()).c_str());
        return 1;
    }
    const int code = KanjiCodeNumber(file.GetKanjiCode());
    const int lineEnd = LineEndTypeNumber(file.DetectLineEnd());
    std::printf("%d %d\n", code, lineEnd);
    return 0;
}

wdev::Registrar reg({"detect", "FILE", run_detect});

}  // namespace
