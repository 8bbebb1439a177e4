#include <gtest/gtest.h>

#include "tests/scheme/support/case_table.h"

using scheme_test::Interp;
using scheme_test::run_table;

namespace {

TEST(Regexp, MakingAndMatching) {
    run_table({
        {"(list (regexp? #/a/) (regexp? \"a\") (regmatch? (rxmatch #/a/ \"a\")) (regmatch? #f))", "(#t #f #t #f)"},
        {"(regexp->string (string->regexp \"a/b\"))", "\"a/b\""},
        {"(string->regexp \"a/b\" #t)", "#/a\\/b/i"},
        {"(string->regexp \"a\" #f)", "#/a/"},
        {"(string->regexp \"(\")", "Error: invalid regexp pattern \n"},
        {"(string->regexp 'a)", "Error: string->regexp: string required: a \n"},
        {"(rxmatch-substring (rxmatch (string->regexp \"abc\" #t) \"xABC\"))", "\"ABC\""},
        {"(rxmatch (string->regexp \"abc\") \"xABC\")", "#f"},
        {"(rxmatch \"a\" \"a\")", "Error: rxmatch: regexp required: \"a\" \n"},
        {"(rxmatch #/a/ 'a)", "Error: rxmatch: string required: a \n"},
        {"(define m (rxmatch #/(a)(b)?/ \"xa\")) (list (rxmatch-substring m 2) (rxmatch-substring m 1) "
         "(rxmatch-substring m) (rxmatch-num-matches m))",
         "(#f \"a\" \"a\" 3)"},
        {"(rxmatch-substring (rxmatch #/(a)(b)?/ \"xa\") 3)", "Error: submatch index out of range \n"},
        {"(rxmatch-substring (rxmatch #/(a)(b)?/ \"xa\") -1)", "Error: submatch index out of range \n"},
        {"(list (rxmatch-substring #f) (rxmatch-start #f) (rxmatch-num-matches #f))", "(#f #f 0)"},
        {"(rxmatch-substring (rxmatch #/x*/ \"abc\"))", "\"\""},
        {"(rxmatch-start 5)", "Error: rxmatch-start: regmatch required: 5 \n"},
        // positions count characters: あ is one, so is U+1F600
        {"(rxmatch-start (rxmatch #/b/ \"\xE3\x81\x82" "b\"))", "1"},
        {"(define m (rxmatch #/b+/ \"\xF0\x9F\x98\x80" "abbc\")) (list (rxmatch-start m) (rxmatch-end m))", "(2 4)"},
        {"(define m (rxmatch #/(a)(b)?/ \"xa\")) (list (rxmatch-start m 2) (rxmatch-end m 1))", "(#f 2)"},
        {"(rxmatch #/a/ \"b\")", "#f"},
    });
}

TEST(Regexp, Replacing) {
    run_table({
        {"(regexp-replace-all #/o/ \"foo\" \"0\")", "\"f00\""},
        {"(regexp-replace #/o/ \"foo\" \"[$&]\")", "\"f[o]o\""},
        {"(regexp-replace-all #/(\\w)(\\d)/ \"a1b2\" \"$2$1\")", "\"1a2b\""},
        {"(define s \"abc\") (eq? s (regexp-replace-all #/z/ s \"y\"))", "#t"},
        {"(regexp-replace-all #/\\d/ \"a1b2\" (lambda (m) (* 2 (string->number (rxmatch-substring m)))))",
         "\"a2b4\""},
        {"(regexp-replace #/\\d/ \"a1b2\" rxmatch-substring)", "\"a1b2\""},
        {"(regexp-replace-all #/\\d/ \"a1b2\" (lambda (m) (car m)))", "Error: car: pair required: #<regmatch> \n"},
        {"(regexp-replace-all #/\\d/ \"a1b2\" 5)", "Error: regexp-replace-all: string or procedure required: 5 \n"},
        // a long result leaves the first buffer
        {"(string-length (regexp-replace-all #/a/ (make-string 2000 #\\a) \"bb\"))", "4000"},
        {"(string-length (regexp-replace-all #/a/ (make-string 700 #\\a) (lambda (m) \"ccc\")))", "2100"},
    });
}

TEST(Regexp, ReplacementProcedureCannotDisturbTheScan) {
    run_table({
        // the procedure rewrites the subject with wider characters and reuses the regexp
        {"(define s (string-append \"a1b2c3\")) (define r #/\\d/) "
         "(regexp-replace-all r s (lambda (m) (string-set! s 0 (integer->char 128512)) "
         "(rxmatch r \"zz9\") (gc) (rxmatch-substring m)))",
         "\"a1b2c3\""},
        {"(define s (string-append \"a1b2\")) (define saved '()) "
         "(regexp-replace-all #/\\d/ s (lambda (m) (set! saved (cons m saved)) \"\")) "
         "(string-set! s 1 (integer->char 128512)) (list (rxmatch-substring (car saved)) (rxmatch-substring (car (cdr saved))))",
         "(\"2\" \"1\")"},
    });
}

TEST(Regexp, EverySearchEndsWithAMatchNoMatchOrTheGiveUp) {
    run_table({
        {"(rxmatch-start (rxmatch (string->regexp \"(a|a){20}b\") (string-append (make-string 1000 #\\a) \"b\")))",
         "980"},
        {"(rxmatch (string->regexp \"(a|a){22}$x\") (make-string 2000 #\\a))", "#f"},
        // a back-reference leaves only the budget, counted once for the whole search
        {"(rxmatch (string->regexp \"(a|a)*\\\\1b\") (string-append (make-string 200 #\\a) \"cb\"))",
         "Error: regexp: the search gave up (too much backtracking) \n"},
        // ... unless the text lacks a character every match holds
        {"(rxmatch (string->regexp \"(a|a)*\\\\1b\") (make-string 200 #\\a))", "#f"},
    });
}

}  // namespace
