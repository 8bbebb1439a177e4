// The embedding interface as a C++ host uses it.
#include <gtest/gtest.h>

#include <string>

#include "tests/scheme/support/test_host.h"

using scheme_test::Interp;
using scheme_test::u16;
using scheme_test::u8;

namespace {

scheme_cell* host_true(scheme_context* ctx, scheme_cell**, int) { return ctx->T; }

// Every argument letter a host procedure can declare: a value it accepts,
// one it refuses, and the word of the refusal.
TEST(Embedding, ArgumentLettersOfHostProcedures) {
    struct Row {
        const char16_t* letter;
        const char* good;
        const char* bad;
        const char* word;
    };
    const Row rows[] = {
        {u"+", "0", "-1", "positive number"},
        {u"C", "#\\a", "\"a\"", "character"},
        {u"H", "(make-hash-table)", "1", "hash-table"},
        {u"I", "(open-input-string \"\")", "(open-output-string)", "input port"},
        {u"L", "'(1 2)", "'(1 . 2)", "list"},
        {u"M", "#f", "#t", "regmatch"},
        {u"N", "-5", "'a", "number"},
        {u"O", "(open-output-string)", "(open-input-string \"\")", "output port"},
        {u"P", "'(1)", "'()", "pair"},
        {u"S", "\"s\"", "#\\s", "string"},
        {u"T", "(current-output-port)", "1", "port"},
        {u"V", "#(1)", "'(1)", "vector"},
        {u"Y", "'y", "\"y\"", "symbol"},
        {u"c", "(lambda () 1)", "car", "closure"},
        {u"o", "(open-output-string)", "(current-output-port)", "output string port"},
        {u"p", "car", "'car", "procedure"},
        {u"s", "\"x\"", "'x", "string or procedure"},
        {u"A", "'anything", nullptr, nullptr},
    };
    for (const Row& r : rows) {
        Interp in;
        ASSERT_EQ(scheme_register_function(in.ctx, u"f", host_true, 1, 1, r.letter), 0);
        EXPECT_EQ(in.run(std::string("(f ") + r.good + ")"), "#t") << u8(r.letter);
        if (!r.bad) continue;
        std::string bad_form = in.run(std::string("(begin ") + r.bad + ")");
        EXPECT_EQ(in.run(std::string("(f ") + r.bad + ")"), "Error: f: " + std::string(r.word) + " required: " +
                                                                bad_form + " \n")
            << u8(r.letter);
    }
}

scheme_cell* host_rest(scheme_context* ctx, scheme_cell** args, int count) {
    // "SD": a string, then the rest as one list
    scheme_list_builder out(ctx);
    out.add(mk_integer(ctx, count));
    out.add(args[1]);
    return out.finish(ctx->NIL);
}

TEST(Embedding, RestArgumentAndCounts) {
    Interp in;
    ASSERT_EQ(scheme_register_function(in.ctx, u"r", host_rest, 2, 2, u"SD"), 0);
    EXPECT_EQ(in.run("(r \"a\" 1 2 3)"), "(2 (1 2 3))");
    EXPECT_EQ(in.run("(r 1 2)"), "Error: r: string required: 1 \n");
    // a rest letter needs something to take: (r "a") has no rest list
    EXPECT_EQ(in.run("(r \"a\")"), "Error: wrong number of arguments: r requires 2, but got 1 \n");
}

TEST(Embedding, RegistrationRejectsWhatTheCallCannotHold) {
    Interp in;
    EXPECT_EQ(scheme_register_function(in.ctx, u"a", host_true, 0, 32, u""), 0);
    EXPECT_EQ(scheme_register_function(in.ctx, u"b", host_true, 0, 33, u""), 1);
    EXPECT_EQ(scheme_register_function(in.ctx, u"c", host_true, 0, -1, u""), 1);
    EXPECT_EQ(scheme_register_function(in.ctx, u"d", host_true, 3, 2, u""), 1);
    EXPECT_EQ(scheme_register_function(in.ctx, u"e", host_true, -1, 2, u""), 1);
    std::u16string letters31(31, u'A'), letters32(32, u'A');
    EXPECT_EQ(scheme_register_function(in.ctx, u"g", host_true, 0, 1, letters31.c_str()), 0);
    EXPECT_EQ(scheme_register_function(in.ctx, u"h", host_true, 0, 1, letters32.c_str()), 1);
    EXPECT_EQ(in.run("(list (symbol-bound? 'a) (symbol-bound? 'b) (symbol-bound? 'g) (symbol-bound? 'h))"),
              "(#t #f #t #f)");
    // 40 arguments to a procedure of at most 32: the extra ones are not taken
    EXPECT_EQ(in.run("(a 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32 "
                     "33 34 35 36 37 38 39 40)"),
              "#t");
    EXPECT_TRUE(in.host.fatal_boxes.empty());
}

scheme_cell* host_many_strings(scheme_context* ctx, scheme_cell**, int) {
    scheme_list_builder out(ctx);
    for (int i = 0; i < 300; ++i) out.add(mk_string(ctx, u"piece"));
    return out.finish(ctx->NIL);
}

TEST(Embedding, ListsBuiltByTheHostSurviveCollection) {
    Interp in;
    in.ctx->threshold = 0;  // a full collection at every allocation
    ASSERT_EQ(scheme_register_function(in.ctx, u"pieces", host_many_strings, 0, 0, u""), 0);
    EXPECT_EQ(in.run("(define l (pieces)) (gc) (list (length l) (string-append (car l) (car (reverse l))))"),
              "(300 \"piecepiece\")");
}

scheme_cell* host_exhaust(scheme_context* ctx, scheme_cell**, int) {
    // No collection: the makers run the cells out and fail.
    int32_t saved = ctx->no_gc;
    ctx->no_gc = 1;
    scheme_cell* last = ctx->NIL;
    while (scheme_cell* c = scheme_mk_integer(ctx, 1)) last = c;
    ctx->no_gc = saved;
    return last;
}

TEST(Embedding, AFailedValueMakerRaisesInTheRunningProgram) {
    Interp in;
    ASSERT_EQ(scheme_register_function(in.ctx, u"exhaust", host_exhaust, 0, 0, u""), 0);
    EXPECT_EQ(in.run("(define r (list 1 (exhaust))) 5"), "Error: fatal error: no memory \n");
    EXPECT_EQ(in.run("(symbol-bound? 'r)"), "#f");
    EXPECT_EQ(in.run("(+ 1 2)"), "3");
    EXPECT_EQ(in.ctx->maker_failed, 0);
}

struct Capture {
    static std::u16string out, err;
    static void to_out(scheme_context*, const char16_t* t) { out += t; }
    static void to_err(scheme_context*, const char16_t* t) { err += t; }
};
std::u16string Capture::out, Capture::err;

TEST(Embedding, OutputAndErrorsReachThePortWriters) {
    scheme_context* ctx = scheme_create(nullptr);
    ASSERT_NE(ctx, nullptr);
    scheme_port(ctx->outport)->writer = Capture::to_out;
    scheme_port(ctx->errport)->writer = Capture::to_err;
    Capture::out.clear();
    Capture::err.clear();
    scheme_cell* v = scheme_eval_string(ctx, u"(define x 5) (display \"\u3042\") (+ x 1)");
    ASSERT_TRUE(scheme_is(v, SCHEME_INTEGER));
    EXPECT_EQ(v->ival, 6);
    EXPECT_EQ(Capture::out, u"\u3042");
    // an error is reported to the error port, and the call reports failure
    EXPECT_EQ(scheme_eval_string(ctx, u"(car 1)"), ctx->F);
    EXPECT_EQ(Capture::err, u"Error: car: pair required: 1 \n");
    // the standard ports stay open
    Capture::err.clear();
    scheme_eval_string(ctx, u"(close-output-port (current-output-port))");
    EXPECT_EQ(Capture::err, u"Error: standard port cannot be closed #<oport (stdout)> \n");
    scheme_eval_string(ctx, u"(display 1)");
    EXPECT_EQ(Capture::out, u"\u30421");
    scheme_destroy(ctx);
    scheme_destroy(nullptr);
}

TEST(Embedding, LoadFileReportsFailure) {
    Interp in;
    in.host.files[u"ok.scm"] = "(define a 1)";
    in.host.files[u"bad.scm"] = "(define b 1) (car '()) (define c 1)";
    EXPECT_EQ(scheme_load_file(in.ctx, u"ok.scm"), 0);
    EXPECT_EQ(scheme_load_file(in.ctx, u"bad.scm"), 1);
    EXPECT_EQ(u8(in.host.err), "Error: car: pair required: () \n");
    EXPECT_EQ(u8(in.ctx->error_text), "load stopped by an error: bad.scm");
    EXPECT_EQ(in.run("(list a b (symbol-bound? 'c))"), "(1 1 #f)");
    EXPECT_EQ(scheme_load_file(in.ctx, u"none.scm"), 1);
    EXPECT_EQ(u8(in.ctx->error_text), "fatal error: file cannot open none.scm");
    EXPECT_EQ(in.host.open_handles, 0);
}

TEST(Embedding, ProtectedProceduresSurvive) {
    Interp in;
    scheme_cell* f = in.eval("(let ((n 40)) (lambda () (+ n 2)))");
    ASSERT_EQ(scheme_protect(in.ctx, f), 0);
    in.eval("(define junk (make-vector 1000 0)) (set! junk 0)");
    scheme_collect(in.ctx, in.ctx->NIL, in.ctx->NIL, true);
    scheme_cell* r = scheme_call_procedure(in.ctx, f);
    ASSERT_TRUE(scheme_is(r, SCHEME_INTEGER));
    EXPECT_EQ(r->ival, 42);
    EXPECT_EQ(in.ctx->protected_list->car, f);
    EXPECT_EQ(scheme_unprotect(in.ctx, f), 0);
    EXPECT_EQ(in.ctx->protected_list, in.ctx->NIL);
    // value makers
    EXPECT_EQ(u8(scheme_to_string(in.ctx, scheme_mk_string(in.ctx, u"q\"x"))), "q\"x");
    EXPECT_EQ(scheme_mk_integer(in.ctx, -7)->ival, -7);
    EXPECT_EQ(scheme_mk_char(in.ctx, 0x1F600)->cval, 0x1F600u);
    EXPECT_TRUE(scheme_is(scheme_mk_eof(in.ctx), SCHEME_EOF));
}

}  // namespace
