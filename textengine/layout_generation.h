// A count of the changes made to the texts of lines, in every buffer (a line
// does not know its buffer; the buffer counts the order of its lines, its
// width table and break rules itself: CEditData::GetLayoutGeneration). A
// layout measured at one count still holds while the count stays the same,
// so a window asked to measure every line again can skip the work when
// nothing changed; a change in another buffer only costs a measurement that
// was not needed.
#pragma once

unsigned LayoutGeneration();
void BumpLayoutGeneration();
