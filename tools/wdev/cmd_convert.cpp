// wdev convert IN OUT [--from CODE] --to CODE --eol 1|2|3: loads IN into a
// text buffer (detecting the encoding when --from is absent or 9) and saves
// it to OUT. On failure prints the message and exits 1, OUT untouched. When
// bytes of IN decoded to nothing or characters had no form in OUT's code
// (each becomes '?'), says how many on standard error and exits 3.
#include <cstdlib>
#include <optional>

#include "textengine/edit_data.h"
#include "textengine/kanjitextfile.h"
#include "util/file_error_text.h"
#include "wdev_command.h"

namespace {

// What a failed read says, in the editor's words.
const char* LoadFailureText(CEditData::LoadFailure why) {
    return why == CEditData::LoadFailure::OutOfMemory ? "メモリが確保できません" : "ファイルの読み込みに失敗しました。";
}

bool ParseInt(const std::string& s, int& out) {
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end) return false;
    out = static_cast<int>(v);
    return true;
}

int run_convert(const wdev::Args& args) {
    std::vector<std::string> files;
    int from = KanjiCodeNumber(KanjiCode::Detect), to = 0, eol = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        int* target = a == "--from" ? &from : a == "--to" ? &to : a == "--eol" ? &eol : nullptr;
        if (target) {
            if (i + 1 >= args.size() || !ParseInt(args[i + 1], *target))
                return wdev::usage_error(a + " needs a number");
            ++i;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) return wdev::usage_error("convert needs IN and OUT");
    const std::optional<KanjiCode> fromCode = KanjiCodeFromNumber(from), toCode = KanjiCodeFromNumber(to);
    if (!fromCode) return wdev::usage_error("unknown --from code");
    if (!toCode || !IsKnownKanjiCode(*toCode)) return wdev::usage_error("--to needs an encoding code");
    const std::optional<LineEndType> eolType = LineEndTypeFromNumber(eol);
    if (!eolType) return wdev::usage_error("--eol must be 1, 2 or 3");

    std::u16string in = Utf8ToUtf16(files[0]), out = Utf8ToUtf16(files[1]);
    CFileStream input;
    if (!input.Open(in.c_str(), CFileStream::ReadOnly)) {
        std::printf("cannot open %s: %s\n", files[0].c_str(), PathToUtf8(FileErrorMessage(input.Error()).c_str()).c_str());
        return 1;
    }
    CEditData data;
    KanjiCode code = *fromCode;
    LineEndType lineEnd = LineEndType::CRLF;
    TextLossReport readLoss, writeLoss;
    CEditData::LoadFailure why = CEditData::LoadFailure::None;
    if (!data.Load(input, code, lineEnd, &readLoss, &why)) {
        std::printf("%s\n", LoadFailureText(why));
        return 1;
    }
    int error = 0;
    if (!data.Save(out.c_str(), *toCode, *eolType, &error, &writeLoss)) {
        std::printf("%s\n", PathToUtf8(SaveFailureMessage(out.c_str(), error).c_str()).c_str());
        return 1;
    }
    if (readLoss.undecodedBytes)
        std::fprintf(stderr, "wdev: %llu bytes of %s could not be decoded (read as '?')\n", readLoss.undecodedBytes,
                     files[0].c_str());
    if (writeLoss.replacedChars)
        std::fprintf(stderr, "wdev: %llu characters have no form in code %d (written as '?'); the first at line %d, column %d\n",
                     writeLoss.replacedChars, to, writeLoss.firstReplaced.line + 1,
                     writeLoss.firstReplaced.column + 1);
    return readLoss.Lossy() || writeLoss.Lossy() ? 3 : 0;
}

wdev::Registrar reg({"convert", "IN OUT [--from CODE] --to CODE --eol 1|2|3", run_convert});

}  // namespace
