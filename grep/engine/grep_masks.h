// File-name masks of a search: ";"-separated; "*" stands for at least one
// character (a leading "*" for any characters, so "*.txt" takes ".txt"
// too), "?" for exactly one, every other character for itself, letters in
// either case. "*.*" among them, or no masks, selects every file.
#pragma once

#include <memory>
#include <string>

struct CompiledRegex;

class GrepMasks {
public:
    GrepMasks();
    ~GrepMasks();
    GrepMasks(const GrepMasks&) = delete;
    GrepMasks& operator=(const GrepMasks&) = delete;

    // False when a mask holds a character no file name can hold (\ / : " < > |).
    bool Set(const std::u16string& masks);
    bool SelectsAll() const { return m_all; }
    bool Selects(const std::u16string& name) const;

private:
    struct Deleter {
        void operator()(CompiledRegex* re) const;
    };
    std::unique_ptr<CompiledRegex, Deleter> m_regex;
    bool m_all = true;
};
