// wdev width --full|--half [--ascii] [--kana] TEXT
// Prints TEXT converted to full-width or half-width forms.
#include <vector>

#include "textengine/jwidth.h"
#include "wdev_command.h"
#include "wdev_regex_text.h"

namespace {

int run_width(const wdev::Args& args) {
    int dir = 0, ascii = 0, kana = 0;
    wdev::binary_stdout();
    std::vector<std::string> rest;
    for (const auto& a : args) {
        if (a == "--full") dir = 1;
        else if (a == "--half") dir = 2;
        else if (a == "--ascii") ascii = 1;
        else if (a == "--kana") kana = 1;
        else rest.push_back(a);
    }
    if (dir == 0 || rest.size() != 1) return wdev::usage_error("width --full|--half [--ascii] [--kana] TEXT");
    std::u16string text = Utf8ToUtf16(rest[0]);
    // A half-width kana may take two units; full width never grows.
    std::vector<char16_t> out(text.size() * 2 + 1);
    int r = dir == 1 ? jwidth_to_fullwidth(text.c_str(), out.data(), out.size(), ascii, kana)
                     : jwidth_to_halfwidth(text.c_str(), out.data(), out.size(), ascii, kana);
    if (r < 0) return 1;
    size_t n = 0;
    while (out[n]) ++n;
    std::printf("%s\n", Utf16ToUtf8({out.data(), n}).c_str());
    return 0;
}

wdev::Registrar reg({"width", "--full|--half [--ascii] [--kana] TEXT", run_width});

}  // namespace
