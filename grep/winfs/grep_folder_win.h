// The grep worker's file system on Windows: folders listed by FindFirstFileW,
// reparse points recognised from the listing itself.
#pragma once

#include "grep/engine/grep_engine.h"

GrepFileSystem& WinGrepFileSystem();
