// Subcommands of the developer harness register themselves here, so each
// lives in its own cmd_<name>.cpp and main.cpp never changes.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace wdev {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;    // one line shown by --help, after the name
    int (*run)(const Args& args);  // args exclude "wdev" and the name
};

std::vector<Command>& commands();

struct Registrar {
    explicit Registrar(const Command& c) { commands().push_back(c); }
};

// Prints "wdev: <message>" on stderr and returns the usage-error exit code.
int usage_error(const std::string& message);

}  // namespace wdev
