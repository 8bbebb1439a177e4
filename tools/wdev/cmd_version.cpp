#include "wdev_command.h"

namespace {

int run_version(const wdev::Args& args) {
    if (!args.empty()) return wdev::usage_error("version takes no arguments");
    std::printf("wdev %s\n", WENDREL_VERSION);
    return 0;
}

wdev::Registrar reg({"version", "", run_version});

}  // namespace
