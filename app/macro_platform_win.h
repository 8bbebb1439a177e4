// The Windows services of the macro interpreter (its scheme_host).
#pragma once

#include <windows.h>

#include "scheme/scheme.h"

scheme_host MacroPlatformWin();
