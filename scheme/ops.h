// Op numbers of the machine and the hooks later parts of the interpreter fill.
#pragma once

#include "scheme/internal.h"

enum scheme_op : int {
    OP_LOAD = 0,
    OP_REQUIRE = 1,
    OP_USE = 2,
    OP_READ_EVAL = 3,
    OP_EVAL_READ = 5,
    OP_READ = 6,
    OP_EVAL = 11,
    OP_OPERATOR_DONE = 12,
    OP_EVAL_ARGS = 13,
    OP_APPLY = 14,
    OP_MACRO_DONE = 15,
    OP_LAMBDA = 16,
    OP_QUOTE = 17,
    OP_QUASIQUOTE = 18,
    OP_QQ_WALK = 19,
    OP_QQ_ELEMENT = 20,
    OP_QQ_WRAP = 21,
    OP_QQ_SPLICE = 22,
    OP_QQ_TAIL = 23,
    OP_QUASIQUOTE_VEC = 24,
    OP_QQ_VEC_DONE = 25,
    OP_DEFINE = 26,
    OP_DEFINE_BIND = 27,
    OP_BEGIN = 28,
    OP_IF = 29,
    OP_IF_BRANCH = 30,
    OP_SET = 31,
    OP_SET_ASSIGN = 32,
    OP_LET = 33,
    OP_LET_OPTIONALS = 34,
    OP_LET_INIT = 36,
    OP_LET_BODY = 37,
    OP_LET_STAR = 38,
    OP_LET_STAR_FIRST = 39,
    OP_LET_STAR_NEXT = 40,
    OP_LETREC = 41,
    OP_LETREC_INIT = 42,
    OP_LETREC_BODY = 43,
    OP_COND = 44,
    OP_COND_CLAUSE = 45,
    OP_AND = 46,
    OP_AND_STEP = 47,
    OP_OR = 48,
    OP_OR_STEP = 49,
    OP_DEFINE_MACRO = 50,
    OP_MAKE_MACRO = 51,
    OP_EVAL_BUILTIN = 52,
    OP_APPLY_BUILTIN = 53,
    OP_CALLCC = 54,
    OP_RESTORE_OUTPORT = 87,
    OP_RESTORE_INPORT = 88,
    OP_WRITE = 89,
    OP_WRITE_CHAR = 90,
    OP_DISPLAY = 91,
    OP_NEWLINE = 92,
    OP_PRINT_OBJECT = 93,
    OP_PRINT_LIST = 94,
    OP_ERROR = 95,
    OP_ERROR_IRRITANTS = 96,
    OP_INTERACTION_ENV = 99,
    OP_EOF_VALUE = 100,
    OP_EXIT = 101,
    OP_GC = 102,
    OP_READ_OBJECT = 103,
    OP_READ_LIST = 104,
    OP_READ_DOT = 105,
    OP_WRAP_QUOTE = 106,
    OP_READ_VECTOR = 107,
    OP_WRAP_QUASIQUOTE = 108,
    OP_WRAP_UNQUOTE = 109,
    OP_WRAP_UNQUOTE_SPLICING = 110,
    OP_WRAP_QUASIQUOTE_VEC = 111,
    OP_QUOTE_VECTOR = 112,
    OP_LIST_TO_VECTOR = 113,
    OP_PRINT_VECTOR = 114,
    OP_CALL_HOST = 157,
    OP_VALUES = 158,
    OP_CALL_WITH_VALUES = 159,
    OP_CALL_WITH_VALUES_DONE = 160,
    OP_DEBUG_INFO = 194,
    OP_OPTIONAL_DEFAULTS = 195,
    OP_NOP = 196,
};

void scheme_set_op(int op, scheme_op_handler handler);
void scheme_register_reader_ops();
void scheme_register_eval_ops();
void scheme_register_builtin_ops();

// Reads the first token of an object from the input port (then run op 103).
int scheme_read_first_token(scheme_context* ctx);
// Length of a proper list, -1 for an improper or circular one.
int32_t scheme_list_length(scheme_context* ctx, scheme_cell* list);

// Regexp literals: compiles the pattern, or leaves a message in the error
// text and returns null. Set by the regexp builtins.
using scheme_regexp_maker_fn = scheme_cell* (*)(scheme_context* ctx, const char16_t* pattern, bool case_insensitive);
extern scheme_regexp_maker_fn scheme_regexp_maker;
// Printed forms of atom kinds this file does not know (regexp, class, object).
using scheme_atom_printer_fn = bool (*)(scheme_context* ctx, scheme_cell* port, scheme_cell* obj, bool write_form);
extern scheme_atom_printer_fn scheme_atom_printer;
