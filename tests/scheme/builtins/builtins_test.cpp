#include <gtest/gtest.h>

#include "tests/scheme/support/case_table.h"

using scheme_test::Interp;
using scheme_test::run_table;

namespace {

TEST(Builtins, Arithmetic) {
    run_table({
        {"(+)", "0"},
        {"(*)", "1"},
        {"(-)", "0"},
        {"(- 5)", "-5"},
        {"(- 10 1 2)", "7"},
        {"(+ 2147483647 1)", "-2147483648"},
        {"(* 65536 65536)", "0"},
        {"(/ 7 2)", "3"},
        {"(/ -7 2)", "-3"},
        {"(/ 100 5 2)", "10"},
        {"(/ 5)", "5"},
        {"(/ 1 0)", "Error: Divided by zero \n"},
        {"(/ -2147483648 -1)", "-2147483648"},
        {"(/ 1 'a)", "Error: /: number required: a \n"},
        {"(/)", "Error: wrong number of arguments: / requires 1, but got 0 \n"},
        {"(remainder -7 2)", "-1"},
        {"(remainder 17 5 2)", "0"},
        {"(remainder 1 0)", "Error: Dividev by zero \n"},
        {"(remainder -2147483648 -1)", "0"},
        {"(modulo -7 2)", "1"},
        {"(modulo 7 -2)", "-1"},
        {"(modulo -4 2)", "0"},
        {"(modulo 7 2)", "1"},
        {"(modulo 1 0)", "Error: Dividev by zero \n"},
        {"(modulo -2147483648 -1)", "0"},
        {"(modulo 1)", "Error: wrong number of arguments: modulo requires 2, but got 1 \n"},
        {"(< 1 3 2)", "#f"},
        {"(< 1 2 'a)", "Error: <: number required: a \n"},
        {"(< 2 1 'a)", "#f"},
        {"(<= 1 1 2)", "#t"},
        {"(number->string -42)", "\"-42\""},
        {"(string->number \"12abc\")", "12"},
        {"(string->number \"abc\")", "0"},
        {"(string->number \"  -15\")", "-15"},
        {"(string->number \"99999999999\")", "2147483647"},
        {"(string->number \"-99999999999\")", "-2147483648"},
        {"(string->number 5)", "Error: string->number: string required: 5 \n"},
    });
}

TEST(Builtins, PredicatesAndEquivalence) {
    run_table({
        {"(eq? 100000 100000)", "#t"},
        {"(eq? #\\a #\\a)", "#t"},
        {"(eq? (string-append \"a\") (string-append \"a\"))", "#f"},
        {"(equal? (string-append \"a\") (string-append \"a\"))", "#t"},
        {"(equal? #(1 (2)) #(1 (2)))", "#t"},
        {"(list (boolean? #f) (boolean? '()) (null? '()) (null? 0))", "(#t #f #t #f)"},
        {"(list (number? 1) (integer? 'a) (symbol? 'a) (string? \"s\") (char? #\\a) (vector? #(1)))",
         "(#t #f #t #t #t #t)"},
        {"(list (procedure? car) (procedure? (lambda () 1)) (procedure? 'car))", "(#t #t #f)"},
        {"(call-with-current-continuation (lambda (k) (procedure? k)))", "#t"},
        {"(define-macro (m) 1) (list (closure? car) (closure? (lambda () 1)) (macro? m) (closure? m))",
         "(#f #t #t #f)"},
        {"(list (list? '()) (list? '(1 2)) (list? '(1 . 2)) (pair? '()) (pair? '(1)))", "(#t #t #f #f #t)"},
        {"(define x (list 1 2)) (set-cdr! (cdr x) x) (list? x)", "#f"},
        {"(not #f)", "#t"},
        {"(not '())", "#f"},
    });
}

TEST(Builtins, Lists) {
    run_table({
        {"(car '())", "Error: car: pair required: () \n"},
        {"(car)", "Error: wrong number of arguments: car requires 1, but got 0 \n"},
        {"(car '(1) 2)", "1"},
        {"(define p (cons 1 2)) (set-car! p 3) (set-cdr! p 4) p", "(3 . 4)"},
        {"(set-car! '() 1)", "Error: set-car!: pair required: () \n"},
        {"(length '(1 2 3))", "3"},
        {"(length '())", "0"},
        {"(length '(1 . 2))", "Error: length: list required: (1 . 2) \n"},
        {"(define x (list 1 2)) (set-cdr! (cdr x) x) (length 5)", "Error: length: list required: 5 \n"},
        {"(reverse '(1 2 3))", "(3 2 1)"},
        {"(reverse '())", "()"},
        {"(reverse '(1 . 2))", "Error: reverse: list required: (1 . 2) \n"},
        {"(append)", "()"},
        {"(append '(1))", "(1)"},
        {"(append 5)", "5"},
        {"(append '(1) '(2) 3)", "(1 2 . 3)"},
        {"(append '(1 2) '() '(3 4))", "(1 2 3 4)"},
        {"(append '(1 . 2) '(3))", "Error: append: list required: (1 . 2) \n"},
        {"(define tail '(3)) (eq? (cdr (append '(1) tail)) tail)", "#t"},
    });
}

TEST(Builtins, Vectors) {
    run_table({
        {"(make-vector 3)", "#(() () ())"},
        {"(make-vector 2 'x)", "#(x x)"},
        {"(make-vector 0)", "#()"},
        {"(make-vector -1)", "Error: make-vector: positive number required: -1 \n"},
        {"(define v (make-vector 2 0)) (vector-set! v 1 'a) v", "#(0 a)"},
        {"(vector-set! (make-vector 2) 2 0)", "Error: vector-set! index out of range: 2 \n"},
        {"(vector-set! (make-vector 2) -1 0)", "Error: vector-set! index out of range: -1 \n"},
        {"(vector-ref #(1 2) 2)", "Error: vector-ref index out of range: 2 \n"},
        {"(vector-length (make-vector 5))", "5"},
        {"(vector-set! '(1) 0 0)", "Error: vector-set!: vector required: (1) \n"},
    });
}

TEST(Builtins, CharactersAndSymbols) {
    run_table({
        {"(char->integer #\\A)", "65"},
        {"(integer->char 12354)", "#\\\xE3\x81\x82"},
        {"(char->integer 65)", "Error: char->integer: character required: 65 \n"},
        // the Unicode range's edges; outside it and lone surrogates are refused
        {"(char->integer (integer->char 0))", "0"},
        {"(char->integer (integer->char 55295))", "55295"},
        {"(char->integer (integer->char 57344))", "57344"},
        {"(char->integer (integer->char 1114111))", "1114111"},
        {"(integer->char -1)", "Error: integer->char: argument out of range: -1 \n"},
        {"(integer->char 1114112)", "Error: integer->char: argument out of range: 1114112 \n"},
        {"(integer->char 55296)", "Error: integer->char: argument out of range: 55296 \n"},
        {"(integer->char 57343)", "Error: integer->char: argument out of range: 57343 \n"},
        {"(integer->char #x7FFFFFFF)", "Error: integer->char: argument out of range: 2147483647 \n"},
        {"(symbol->string 'abc)", "\"abc\""},
        {"(eq? (string->symbol \"abc\") 'abc)", "#t"},
        {"(symbol->string \"abc\")", "Error: symbol->string: symbol required: \"abc\" \n"},
        {"(define z 1) (list (symbol-bound? 'z) (symbol-bound? 'zz))", "(#t #f)"},
        {"(define (f a) (symbol-bound? 'a)) (f 1)", "#t"},
    });
}

TEST(Builtins, Strings) {
    run_table({
        // a, U+1F600, b: a surrogate pair counts as one character
        {"(string-length \"a\xF0\x9F\x98\x80" "b\")", "3"},
        {"(char->integer (string-ref \"a\xF0\x9F\x98\x80" "b\" 1))", "128512"},
        {"(string-ref \"a\xF0\x9F\x98\x80" "b\" 2)", "#\\b"},
        {"(string-ref \"abc\" 3)", "Error: out of string buffer \n"},
        {"(string-ref \"abc\" -1)", "Error: string-ref: positive number required: -1 \n"},
        {"(define s (string-append \"abc\")) (string-set! s 0 (integer->char 128512)) (list s (string-length s))",
         "(\"\xF0\x9F\x98\x80" "bc\" 3)"},
        {"(define s (string-append \"a\xF0\x9F\x98\x80" "b\")) (string-set! s 1 #\\x) s", "\"axb\""},
        {"(define s (string-append \"abc\")) (string-set! s 1 #\\x)", "\"axc\""},
        {"(string-set! (string-append \"abc\") 3 #\\x)", "Error: out of string buffer \n"},
        {"(make-string 3 #\\z)", "\"zzz\""},
        {"(make-string 2)", "\"  \""},
        {"(string-length (make-string 2 (integer->char 128512)))", "2"},
        {"(substring \"hello\" 1 3)", "\"el\""},
        {"(substring \"hello\" 3 1)", "Error: substring: invalid argument (start > end) \n"},
        {"(substring \"hello\" 0 5)", "\"hello\""},
        {"(substring \"hello\" 5 5)", "\"\""},
        {"(substring \"hello\" 2 6)", "Error: out of string buffer \n"},
        {"(substring \"a\xF0\x9F\x98\x80" "bc\" 1 3)", "\"\xF0\x9F\x98\x80" "b\""},
        {"(string-append)", "\"\""},
        {"(string-append \"ab\" \"\" \"cd\")", "\"abcd\""},
        {"(string-append \"ab\" 'c)", "Error: string-append: string required: c \n"},
        {"(list (_string-cmp? = \"a\" \"a\") (_string-cmp? < \"a\" \"b\") (_string-cmp? > \"a\" \"b\"))",
         "(#t #t #f)"},
        {"(list (_string-cmp? <= \"ab\" \"a\") (_string-cmp? >= \"ab\" \"a\") (_string-cmp? < \"\" \"a\"))",
         "(#f #t #t)"},
        {"(list (_string-cmp-ci? = \"ABC\" \"abc\") (_string-cmp? = \"ABC\" \"abc\"))", "(#t #f)"},
        // only A-Z fold
        {"(_string-cmp-ci? = \"\xC3\x80\" \"\xC3\xA0\")", "#f"},
        // code point order: U+1F600 sorts after U+FF5E although its first unit is smaller
        {"(_string-cmp? < \"\xEF\xBD\x9E\" \"\xF0\x9F\x98\x80\")", "#t"},
        {"(_string-cmp? car \"a\" \"b\")", "Error: unsupported procedure #<subr car> \n"},
        {"(_string-cmp? 1 \"a\" \"b\")", "Error: _string-cmp?: procedure required: 1 \n"},
    });
}

TEST(Builtins, ClosureCode) {
    run_table({
        {"(get-closure-code (lambda (x) (+ x 1)))", "(lambda (x) (+ x 1))"},
        {"(define-macro (m a) a) (get-closure-code m)", "(lambda (a) a)"},
        {"(get-closure-code car)", "#f"},
        {"(car (get-closure-code (call-with-current-continuation (lambda (k) k))))", "lambda"},
    });
}

TEST(Builtins, Collection) {
    Interp in;
    EXPECT_EQ(in.run("(define keep (make-vector 100 'x)) (gc) (vector-ref keep 99)"), "x");
}

}  // namespace
