#include <gtest/gtest.h>

#include "tests/scheme/support/case_table.h"

using scheme_test::Interp;
using scheme_test::run_table;

namespace {

TEST(Ports, StringPorts) {
    run_table({
        {"(define p (open-input-string \"(a . b) c\")) (read p)", "(a . b)"},
        {"(define p (open-input-string \"(a . b) c\")) (read p) (read p)", "c"},
        {"(define p (open-input-string \"x\")) (read p) (eof-object? (read p))", "#t"},
        {"(define p (open-input-string \"ab\")) (list (peek-char p) (read-char p) (read-char p) (eof-object? (read-char p)))",
         "(#\\a #\\a #\\b #t)"},
        {"(define p (open-input-string \"\xF0\x9F\x98\x80!\")) (char->integer (read-char p))", "128512"},
        {"(define o (open-output-string)) (write \"x\" o) (display 1 o) (get-output-string o)", "\"\\\"x\\\"1\""},
        {"(define o (open-output-string)) (write-char #\\a o) (newline o) (get-output-string o)", "\"a\\n\""},
        {"(define o (open-output-string)) (display \"abc\" o) (clear-output-string o) (display 2 o) "
         "(get-output-string o)",
         "\"2\""},
        {"(get-output-string (open-output-string))", "\"\""},
        {"(get-output-string (current-output-port))",
         "Error: get-output-string: output string port required: #<oport (stdout)> \n"},
        {"(read 5)", "Error: read: input port required: 5 \n"},
        {"(read-char (open-output-string))", "Error: read-char: input port required: #<oport (string)> \n"},
    });
}

TEST(Ports, PredicatesAndClosing) {
    run_table({
        {"(define p (open-input-string \"x\")) (list (input-port? p) (output-port? p) (port-closed? p))",
         "(#t #f #f)"},
        {"(list (input-port? 5) (output-port? (current-output-port)) (eof-object? 'a))", "(#f #t #f)"},
        {"(define p (open-input-string \"x\")) (close-input-port p) (close-input-port p) (port-closed? p)", "#t"},
        {"(define p (open-input-string \"x\")) (close-input-port p) (read-char p)",
         "Error: I/O attempted on closed port #<iport(closed) (string)> \n"},
        {"(define p (open-input-string \"x\")) (close-input-port p) (read p)",
         "Error: I/O attempted on closed port #<iport(closed) (string)> \n"},
        {"(define o (open-output-string)) (close-output-port o) (write 1 o)",
         "Error: I/O attempted on closed port #<oport(closed) (string)> \n"},
        {"(close-output-port (current-output-port))",
         "Error: standard port cannot be closed #<oport (stdout)> \n"},
        // the text being evaluated reads as ended once its port is closed
        {"(define a 1) (close-input-port (current-input-port)) (define a 2)", "#<undef>"},
        {"(port-closed? 1)", "Error: port-closed?: port required: 1 \n"},
    });
}

TEST(Ports, Files) {
    Interp in;
    EXPECT_EQ(in.run("(open-input-file \"missing.txt\")"), "Error: file cannot open \"missing.txt\" \n");
    EXPECT_EQ(in.run("(list (file-exists? \"out.txt\"))"), "(#f)");
    EXPECT_EQ(in.run("(define o (open-output-file \"out.txt\")) (display \"a\xE3\x81\x82\" o) (close-output-port o) "
                     "(file-exists? \"out.txt\")"),
              "#t");
    EXPECT_EQ(in.host.files[u"out.txt"], std::string("a\0\x42\x30", 4));  // UTF-16LE, no mark
    EXPECT_EQ(in.host.open_handles, 0);
    // a file that starts with FF FE reads as UTF-16 from its third byte on
    in.host.files[u"w.txt"] = std::string("\xFF\xFE(\0" "1\0" " \0" "\x42\x30)\0", 12);
    EXPECT_EQ(in.run("(define p (open-input-file \"w.txt\")) (define x (read p)) (close-input-port p) x"),
              "(1 \xE3\x81\x82)");
    // multibyte text otherwise
    in.host.files[u"m.txt"] = "\x82\xA0" "b";
    EXPECT_EQ(in.run("(define p (open-input-file \"m.txt\")) (list (read-char p) (read-char p))"),
              "(#\\\xE3\x81\x82 #\\b)");
    EXPECT_EQ(in.run("(close-input-port p) (port-closed? p)"), "#t");
    EXPECT_EQ(in.host.open_handles, 0);
}

TEST(Ports, ClosingTheLoadPortEndsTheLoad) {
    Interp in;
    in.host.files[u"./a.scm"] = "(define before 1) (close-input-port (current-input-port)) (define after 2)";
    in.run("(load \"./a.scm\")");
    EXPECT_EQ(in.run("before"), "1");
    EXPECT_EQ(in.run("after"), "Error: unbounded variable after \n");
    EXPECT_EQ(in.host.open_handles, 0);
}

TEST(Ports, GensymAndValues) {
    run_table({
        {"(list (gensym) (gensym))", "(|G:1| |G:2|)"},
        {"(list (gensym? (gensym)) (gensym? 'a) (gensym? 5))", "(#t #f #f)"},
        {"(call-with-values (lambda () (values 1 2)) list)", "(1 2)"},
        {"(call-with-values (lambda () 5) list)", "(5)"},
        {"(call-with-values (lambda () (values 1 2) 3) list)", "(3)"},
        {"(values)", "#<undef>"},
        {"(values 1 2)", "1"},
        {"(call-with-values 1 list)", "Error: call-with-values: procedure required: 1 \n"},
    });
}

TEST(Ports, MacroExpansion) {
    const char* defs = "(define-macro (inc x) (list '+ x 1)) (define-macro (inc2 x) (list 'inc (list 'inc x))) ";
    auto with = [&](const char* body) { return std::string(defs) + body; };
    std::vector<std::string> progs = {
        with("(macroexpand-1 '(inc 2))"),   with("(macroexpand-1 '(inc2 2))"), with("(macroexpand '(inc2 2))"),
        with("(macroexpand '(car x))"),     with("(macroexpand 5)"),           with("(macroexpand '((inc 1) 2))"),
        with("(macroexpand '(nothing 1))"), with("(macroexpand-1 '(inc))"),
    };
    const char* expected[] = {
        "(+ 2 1)", "(inc (inc 2))", "(+ (inc 2) 1)", "(car x)", "5", "((inc 1) 2)",
        "Error: unbounded variable nothing \n", "Error: few arguments \n",
    };
    for (std::size_t i = 0; i < progs.size(); ++i) {
        Interp in;
        EXPECT_EQ(in.run(progs[i]), expected[i]) << progs[i];
    }
}

}  // namespace
