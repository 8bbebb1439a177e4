// Thrown when the system refuses a resource the program cannot run without
// (a window class, a GDI object at start).
#pragma once

#include <stdexcept>

class CResourceException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
