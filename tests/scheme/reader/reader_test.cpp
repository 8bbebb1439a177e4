#include <gtest/gtest.h>

#include "tests/scheme/support/case_table.h"
#include "tests/scheme/support/test_host.h"

using scheme_test::Interp;
using scheme_test::u8;

namespace {

// Reads one datum with `read` from a string port and writes it back.
std::string read_back(Interp& in, const std::string& text) {
    in.host.err.clear();
    scheme_cell* port = mk_string_input_port(in.ctx, scheme_test::u16(text).c_str());
    scheme_protect(in.ctx, port);
    scheme_cell* saved = in.ctx->inport;
    in.ctx->inport = port;
    in.ctx->args = in.ctx->NIL;
    scheme_read_first_token(in.ctx);
    scheme_run_nested(in.ctx, OP_READ_OBJECT, true);
    in.ctx->inport = saved;
    scheme_unprotect(in.ctx, port);
    if (!in.host.err.empty()) return u8(in.host.err);
    return scheme_test::write_form(in.ctx, in.ctx->value);
}

TEST(Reader, RoundTripOfEveryDatumKind) {
    Interp in;
    const char* same[] = {
        "()", "#t", "#f", "42", "-7", "abc", "(a b c)", "(a . b)", "(a b . c)", "#(1 \"x\" #\\a)", "#()",
        "\"a\\tb\\\"c\\\\\\n\\r\"", "#\\space", "#\\newline", "#\\tab", "#\\return", "#\\a", "'x", "`(a ,b ,@c)",
        "(quote x y)", "((1 2) (3 (4 #(5))))", "\xF0\x9F\x98\x80", "#\\\xF0\x9F\x98\x80", "\"\xE3\x81\x82\"",
        "|G:1|", "...", ".5", "1+", "12a",
    };
    for (const char* text : same) EXPECT_EQ(read_back(in, text), text) << text;
    Interp stressed;  // a full collection at every cell allocation
    stressed.ctx->threshold = 0;
    for (const char* text : same) EXPECT_EQ(read_back(stressed, text), text) << text;
}

TEST(Reader, Atoms) {
    Interp in;
    const std::pair<const char*, const char*> cases[] = {
        {"-0", "0"},
        {"+7", "7"},
        {"2147483648", "2147483647"},
        {"-2147483649", "-2147483648"},
        {"99999999999999999999", "2147483647"},
        {"-", "-"},
        {"+", "+"},
        {"#\\SPACE", "#\\space"},
        {"#\\(", "#\\("},
        {"#x1F", "31"},
        {"#o17", "15"},
        {"#d42", "42"},
        {"#xFFFFFFFF", "-1"},
        {"#q", "Error: Undefined sharp expression \n"},
        {"#x", "Error: Undefined sharp expression \n"},
        {"#\\", "Error: Undefined sharp expression \n"},
        {"\"a\\qb\"", "\"aqb\""},
        {"\"unterminated", "\"unterminated\""},
        {"'#(1 2)", "#(1 2)"},
        {"`#(1 ,x)", "`#(1 ,x)"},
        {"(_quasiquote-vec (1 2))", "`#(1 2)"},
        {"(quote-vector (1 2))", "'#(1 2)"},
        {"a\"b", "a\"b"},
        {"#/a\\/b/i", "#/a\\/b/i"},
        {"#/(/", "Error: invalid regexp pattern \n"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(read_back(in, text), expected) << text;
    Interp stressed;
    stressed.ctx->threshold = 0;
    for (const auto& [text, expected] : cases) EXPECT_EQ(read_back(stressed, text), expected) << text;
}

TEST(Reader, StructureAndComments) {
    Interp in;
    const std::pair<const char*, const char*> cases[] = {
        {"(a . b c)", "Error: syntax error -- illegal dot expression \n"},
        {"( . a)", "Error: syntax error -- illegal dot expression \n"},
        {"(a", "Error: syntax error -- EOF inside a list \n"},
        {")", "Error: syntax error -- illegal token \n"},
        {"#| a #| b |# c |# 1", "1"},
        {"#!/usr/bin/scheme\n2", "2"},
        {"; comment\n(1 ; inside\n 2)", "(1 2)"},
        {"(1 #| x |# 2)", "(1 2)"},
        {"#(1 . 2)", "Error: vector constructer require list: () \n"},
        {"", "#<eof>"},
        {"   ", "#<eof>"},
        {"#| open", "#<eof>"},
        {"(a .b)", "(a .b)"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(read_back(in, text), expected) << text;
}

TEST(Reader, DeeplyNestedListsUseTheDumpStack) {
    Interp in;
    std::string text(200000, '(');
    text += std::string(200000, ')');
    std::string back = read_back(in, text);
    EXPECT_EQ(back.size(), text.size());
    EXPECT_EQ(back.substr(0, 4), "((((");
}

TEST(Reader, LoneSurrogatesNeverStepOverTheTerminator) {
    Interp in;
    // a high surrogate as the very last unit of the input and of a string
    std::u16string src = u"\"a";
    src += char16_t(0xD83D);
    scheme_cell* v = scheme_eval_string(in.ctx, src.c_str());
    ASSERT_TRUE(scheme_is(v, SCHEME_STRING));
    EXPECT_EQ(scheme_string(v)->length, 2);
    EXPECT_EQ(scheme_string(v)->text[1], char16_t(0xD83D));
    EXPECT_EQ(scheme_string(v)->text[2], 0);
    std::u16string sym = u"ab";
    sym += char16_t(0xDBFF);
    v = scheme_eval_string(in.ctx, (u"'" + sym).c_str());
    ASSERT_TRUE(scheme_is(v, SCHEME_SYMBOL));
    EXPECT_EQ(std::u16string(scheme_symbol_name(v)), sym);
    EXPECT_EQ(scheme_count_chars(sym.c_str(), sym.c_str() + 10), 3);
    std::u16string lone_low = u"#\\";
    lone_low += char16_t(0xDC00);
    v = scheme_eval_string(in.ctx, lone_low.c_str());
    ASSERT_TRUE(scheme_is(v, SCHEME_CHAR));
    EXPECT_EQ(v->cval, 0xDC00u);
}

TEST(Printer, WriteAndDisplayForms) {
    Interp in;
    in.eval("(write \"t\\tq\\\"\") (display \"t\\tq\\\"\") (write #\\a) (display #\\a) (write '(quote x))"
            "(write (quote (quote x y))) (write car) (write (lambda (x) x)) (define-macro (m) 1) (write m)"
            "(write (call-with-current-continuation (lambda (k) k))) (write if)");
    EXPECT_EQ(in.out(),
              "\"t\\tq\\\"\"t\tq\"#\\aa'x(quote x y)#<subr car>#<closure>#<macro>#<continuation>#<syntax>");
    EXPECT_EQ(scheme_test::write_form(in.ctx, in.ctx->errport), "#<oport (stderr)>");
    EXPECT_EQ(scheme_test::write_form(in.ctx, in.ctx->inport), "#<iport (stdin)>");
    EXPECT_EQ(scheme_test::write_form(in.ctx, mk_hash(in.ctx, 8, "equal?")), "#<hash-table equal?>");
    EXPECT_EQ(scheme_test::write_form(in.ctx, mk_hash(in.ctx, 8, "ptr-eq?")), "#<hash-table unknown>");
    EXPECT_EQ(scheme_test::write_form(in.ctx, mk_eof(in.ctx)), "#<eof>");
    EXPECT_EQ(in.run("(write '(1 . 2)) (write '(1 (2 . 3) #(4 (5))))"), "#<undef>");
    EXPECT_EQ(in.out(), "(1 . 2)(1 (2 . 3) #(4 (5)))");
}

}  // namespace

namespace {

TEST(Printer, CircularDataEndsInsteadOfPrintingForever) {
    Interp in;
    in.eval("(define a (list 1 2 3)) (define b (list 0 a))");
    scheme_cell* a = *scheme_lookup(in.ctx, intern(in.ctx, u"a"));
    a->cdr->cdr->cdr = a->cdr;  // 1 2 3 2 3 ...
    EXPECT_EQ(in.run("(write a) (write b) 0"), "0");
    EXPECT_EQ(in.out(), "(1 2 3 ...)(0 (1 2 3 ...))");
    EXPECT_EQ(in.run("(error \"loop:\" a)"), "Error: loop: (1 2 3 ...) \n");
    // a list that holds itself prints "..." where it comes round again
    a->cdr->cdr->cdr = in.ctx->NIL;
    a->car = a;
    EXPECT_EQ(in.run("(write a) 5"), "5");
    EXPECT_TRUE(in.host.fatal_boxes.empty());
    EXPECT_EQ(in.ctx->dump_count, 0);
    EXPECT_EQ(in.out(), "(... 2 3)");
    EXPECT_EQ(in.run("(error \"loop:\" a)"), "Error: loop: (... 2 3) \n");
    EXPECT_EQ(in.run("(write '(1 2)) 5"), "5");
    EXPECT_EQ(in.out(), "(1 2)");
}

TEST(Printer, ContainersThatHoldThemselvesThroughCarOrVectors) {
    scheme_test::run_table({
        {"(define x (list 1)) (set-car! x x) x", "(...)"},
        {"(define x (list 1 2)) (set-car! (cdr x) x) x", "(1 ...)"},
        {"(define x (list 'a 'b 'c)) (set-car! (cdr (cdr x)) (cdr x)) x", "(a b (b ...))"},
        {"(define x (list 1 2)) (set-cdr! (cdr x) x) (set-car! x x) x", "(... 2 ...)"},
        {"(define v (make-vector 2 0)) (vector-set! v 1 v) v", "#(0 ...)"},
        {"(define v (make-vector 1 0)) (define x (list v)) (vector-set! v 0 x) x", "(#(...))"},
        {"(define x (list 'quote 1)) (set-car! (cdr x) x) x", "'..."},
        {"(define x (list 1)) (set-cdr! x (cons 2 x)) (set-car! x (make-vector 1 x)) x", "(#(...) 2 ...)"},
        // shared but not circular: printed in full each time
        {"(define s (list 1)) (list s s (make-vector 2 s) (list s))", "((1) (1) #((1) (1)) ((1)))"},
        {"(define v (make-vector 1 1)) (list v (list v) v)", "(#(1) (#(1)) #(1))"},
    });
}

}  // namespace
