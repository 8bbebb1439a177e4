// The colouring of one line into its attribute items: syntax colours from
// the language's tables, blank kinds and links. No window system here.
#pragma once

#include <cstdint>

#include "editctrl/core/line_attr_cache.h"

class CStrToken;

// The colour table, indexed by EditColorIndex.
using EditColorTable = const uint32_t*;

// Colours the count units of text (items[count] gets the end-of-line kind).
// lineFlags are the line record's start states; style is the control's
// style word (no comment syntax, tag language).
void ColorizeLine(LineAttrItem* items, int count, const char16_t* text, int lineFlags, const CStrToken* lang,
                  uint32_t style, EditColorTable colors);
// TAB, half- and full-width spaces, on the item of each code point's last unit.
void MarkBlankKinds(LineAttrItem* items, int count, const char16_t* text);
// Web links and mail addresses get the link flag and the link colour.
void MarkLinks(LineAttrItem* items, int count, const char16_t* text, uint32_t linkColor);
