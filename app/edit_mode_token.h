// The language of the current edit mode: one tokenizer that every open
// file's buffer reads for colouring and indenting. Selecting an edit mode
// loads its language into it.
#pragma once

#include "editctrl/syntax/strtoken.h"

CStrToken& CurrentModeToken();
