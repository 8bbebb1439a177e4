// wdev: exposes the text engine on the command line for tests, benchmarks
// and acceptance checks. Exit codes: 0 success, 1 failure of the operation
// (including output that could not be written), 2 wrong command line, 3 a
// conversion that had to replace characters.
#include "wdev_command.h"

#include <algorithm>
#include <cstring>

namespace wdev {

std::vector<Command>& commands() {
    static std::vector<Command> list;
    return list;
}

int usage_error(const std::string& message) {
    std::fprintf(stderr, "wdev: %s\n", message.c_str());
    return 2;
}

}  // namespace wdev

namespace {

void print_help() {
    std::printf("usage: wdev <command> [arguments]\n\ncommands:\n");
    auto list = wdev::commands();
    std::sort(list.begin(), list.end(),
              [](const wdev::Command& a, const wdev::Command& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& c : list) std::printf("  %s %s\n", c.name, c.usage);
    std::printf("  --help\n");
}

}  // namespace

// Output that never arrived (a full disk, a closed pipe) is a failure.
int Finish(int result) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "wdev: cannot write the output\n");
        return 1;
    }
    return result;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        print_help();
        return 2;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        print_help();
        return Finish(0);
    }
    for (const auto& c : wdev::commands()) {
        if (name == c.name) return Finish(c.run(wdev::Args(argv + 2, argv + argc)));
    }
    return wdev::usage_error("unknown command '" + name + "' (see wdev --help)");
}
