// wdev replace [--icase] [--iwidth] PATTERN TEMPLATE FILE
// Prints the text with every match replaced by the template.
#include "textengine/regex/regex.h"
#include "wdev_command.h"
#include "wdev_regex_text.h"

namespace {

int run_replace(const wdev::Args& args) {
    int flags = 0;
    wdev::binary_stdout();
    std::vector<std::string> rest;
    for (const auto& a : args) {
        if (a == "--icase") flags |= REGEX_COMPILE_ICASE;
        else if (a == "--iwidth") flags |= REGEX_COMPILE_IWIDTH;
        else rest.push_back(a);
    }
    if (rest.size() != 3) return wdev::usage_error("replace [--icase] [--iwidth] PATTERN TEMPLATE FILE");
    std::u16string text;
    if (!wdev::read_text_file(rest[2], &text)) {
        std::fprintf(stderr, "wdev: cannot read %s\n", rest[2].c_str());
        return 1;
    }
    std::u16string pattern = Utf8ToUtf16(rest[0]);
    std::u16string tmpl = Utf8ToUtf16(rest[1]);
    int error;
    CompiledRegex* re = regex_compile_checked(pattern.data(), int(pattern.size()), flags, &error);
    if (!re) {
        std::printf("%s\n", Utf16ToUtf8(regex_compile_error_text(error)).c_str());
        return 2;
    }
    const char16_t* out = regex_replace_string(re, text.c_str(), tmpl.c_str(), true, nullptr, 0, nullptr, nullptr);
    int rc = 0;
    if (!out) {
        std::printf("正規表現の検索が複雑すぎます\n");
        rc = 1;
    } else {
        size_t n = 0;
        while (out[n]) ++n;
        std::string utf8 = Utf16ToUtf8({out, n});
        std::fwrite(utf8.data(), 1, utf8.size(), stdout);
        regex_free_replace_result(out, text.c_str(), nullptr);
    }
    regex_free(re);
    return rc;
}

wdev::Registrar reg({"replace", "[--icase] [--iwidth] PATTERN TEMPLATE FILE", run_replace});

}  // namespace
