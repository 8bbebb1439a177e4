// A readable one-line form of a node graph, for tests and debugging.
//
// Nodes print in depth-first order with empty nodes left out: 'a' literal
// (suffix /i /w /iw for fold flags), "ab" string, . any, .s any with LF,
// [..] class, \N back-reference (1-based), (N and N) capture start and end,
// P progress check, ^ $ \A \Z \z \b \B \K \=A \=z \=^ \=$ anchors.
// A branch prints as OP(next-way,alt-way) with OP its operator and a "?"
// when the alt way is preferred; {?= {?! {?> {?<=W {?<!W (W the width)
// open a sub-pattern that the "}" of its end node closes; {?+N,M a
// possessive repeat; ?(cond)(yes,no) a conditional; (?R) (?N) recursion.
// A node reached a second time prints as @K, the first visit as #K:.
#pragma once

#include <string>

#include "textengine/regex/regex_node.h"

std::string regex_dump(const RegexNode* root);
std::string regex_dump_class(const RegexCharClass* cc);
