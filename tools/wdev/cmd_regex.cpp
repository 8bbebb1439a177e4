// wdev regex [--icase] [--iwidth] [--literal] PATTERN FILE
// Prints every match as "<line> <column> <length>" (0-based, UTF-16 units,
// a line end counting one), searching on after each match as the buffer
// search does: from the match end, one character further after an empty
// match.
#include "textengine/regex_line_host.h"
#include "wdev_command.h"
#include "wdev_regex_text.h"

namespace {

int run_regex(const wdev::Args& args) {
    int flags = 0;
    wdev::binary_stdout();
    bool literal = false;
    std::vector<std::string> rest;
    for (const auto& a : args) {
        if (a == "--icase") flags |= REGEX_COMPILE_ICASE;
        else if (a == "--iwidth") flags |= REGEX_COMPILE_IWIDTH;
        else if (a == "--literal") literal = true;
        else rest.push_back(a);
    }
    if (rest.size() != 2) return wdev::usage_error("regex [--icase] [--iwidth] [--literal] PATTERN FILE");
    std::u16string text;
    if (!wdev::read_text_file(rest[1], &text)) {
        std::fprintf(stderr, "wdev: cannot read %s\n", rest[1].c_str());
        return 1;
    }
    std::u16string pattern = Utf8ToUtf16(rest[0]);
    int error = REGEX_COMPILE_NO_MEMORY;  // all a literal search text can fail on
    CompiledRegex* re = literal ? regex_compile_literal(pattern.c_str(), flags)
                                : regex_compile_checked(pattern.data(), int(pattern.size()), flags, &error);
    if (!re) {
        std::printf("%s\n", Utf16ToUtf8(regex_compile_error_text(error)).c_str());
        return 2;
    }
    const RegexTextLines host(std::move(text));
    const RegexTextOps ops = host.Ops();
    RegexPos pos{0, 0};
    int rc = 0;
    for (;;) {
        RegexPos at = pos, end = pos;
        int r = re->search(re, &ops, &at, &end, RegexPos{-1, 0});
        if (r < 0) {
            std::printf("%s\n", r == REGEX_ERR_BUDGET ? "正規表現の検索が複雑すぎます" : "正規表現の検索でスタックが不足しました");
            rc = 1;
            break;
        }
        if (r == 0) break;
        std::printf("%d %d %d\n", at.line, at.col, ops.distance(ops.host, at, end));
        pos = end;
        if (end.line == at.line && end.col == at.col) {
            if (*ops.char_at(ops.host, end) == 0) break;
            ops.next(ops.host, &pos);
        }
    }
    regex_free(re);
    return rc;
}

wdev::Registrar reg({"regex", "[--icase] [--iwidth] [--literal] PATTERN FILE", run_regex});

}  // namespace
