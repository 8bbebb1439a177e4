// One file's search, on whichever thread runs it: reads the file, searches
// it and hands what it finds to a sink in the order the file gives it. The
// worker's own thread writes through a sink straight to the result view;
// helper threads record into one that the worker writes out later.
#pragma once

#include <string>

#include "grep/engine/grep_engine.h"
#include "grep/engine/grep_text.h"

class GrepPrefilter;

class GrepFileSink {
public:
    virtual ~GrepFileSink() = default;
    // A hit's result line: GREP_DONE to go on, GREP_CANCELLED to stop.
    virtual int Hit(const std::u16string& line) = 0;
    // A line telling why the file could not be read or searched to its end.
    virtual void Error(const std::u16string& line) = 0;
};

// Buffers a search reuses from file to file. Each thread owns its own.
struct GrepScratch {
    std::string bytes;   // the file, or a block of it
    GrepText text;       // the whole file decoded
    GrepText line;       // one line decoded
    std::u16string out;  // a result line
};

// What one file's search needs besides the file; pattern and scratch belong
// to the calling thread, the rest may be shared.
struct GrepFileJob {
    GrepFileSystem& fs;
    KanjiCode encoding;
    CompiledRegex* pattern;
    const GrepPrefilter* prefilter;  // may be null
    GrepScratch& scratch;
};

// GREP_DONE, GREP_CANCELLED (the sink asked to stop) or GREP_SEARCH_FAILED
// (the regex gave up; its error line went to the sink).
int SearchGrepFile(const std::u16string& path, const GrepFileJob& job, GrepFileSink& sink);

// "Error <path>: <reason>\n", the reason's line ends dropped.
std::u16string GrepErrorLine(const std::u16string& path, const std::u16string& reason);
