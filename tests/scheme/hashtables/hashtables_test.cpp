#include <gtest/gtest.h>

#include "tests/scheme/support/case_table.h"

using scheme_test::Interp;
using scheme_test::run_table;

namespace {

TEST(HashTables, Builtins) {
    run_table({
        {"(hash-table-type (make-hash-table))", "eq?"},
        {"(list (hash-table-type (make-hash-table 'eq?)) (hash-table-type (make-hash-table 'eqv?)) "
         "(hash-table-type (make-hash-table 'equal?)) (hash-table-type (make-hash-table 'string=?)))",
         "(eq? eqv? equal? string=?)"},
        {"(make-hash-table 'foo)", "Error: unsupported hash type:  foo \n"},
        {"(make-hash-table 'ptr-eq?)", "Error: unsupported hash type:  ptr-eq? \n"},
        {"(make-hash-table \"eq?\")", "Error: make-hash-table: symbol required: \"eq?\" \n"},
        {"(hash-table-type (interaction-environment))", "Error: hash-table-type: hash-table required: "
                                                         "(#<hash-table unknown>) \n"},
        {"(hash-table-get (make-hash-table) 'x 0)", "0"},
        {"(hash-table-get (make-hash-table) 'x)", "Error: hash-table-get: key not found x \n"},
        {"(define h (make-hash-table)) (hash-table-put! h 1 'a) (hash-table-put! h 1 'b) "
         "(list (hash-table-get h 1) (hash-table-num-entries h))",
         "(b 1)"},
        {"(define h (make-hash-table)) (hash-table-put! h 'k 1)", "#<undef>"},
        {"(hash-table-delete! (make-hash-table) 'x)", "#f"},
        {"(define h (make-hash-table)) (hash-table-put! h 'k 1) (list (hash-table-delete! h 'k) "
         "(hash-table-exists? h 'k) (hash-table-num-entries h))",
         "(#t #f 0)"},
        {"(define h (make-hash-table)) (hash-table-put! h 'k 1) (list (hash-table-exists? h 'k 'ignored) "
         "(hash-table-exists? h 'j))",
         "(#t #f)"},
        {"(define h (make-hash-table 'string=?)) (hash-table-put! h (string-append \"a\" \"b\") 1) "
         "(hash-table-get h \"ab\")",
         "1"},
        {"(hash-table-put! (make-hash-table 'string=?) 'a 1)", "Error: hash-table-put!: string required: a \n"},
        {"(define h (make-hash-table 'string=?)) (hash-table-get h 'a 'none)", "none"},
        {"(define h (make-hash-table)) (hash-table-put! h (string-append \"a\") 1) (hash-table-get h \"a\" 'none)",
         "none"},
        {"(define h (make-hash-table 'equal?)) (hash-table-put! h (list 1 \"x\") 'v) (hash-table-get h (list 1 \"x\"))",
         "v"},
        {"(define h (make-hash-table 'eqv?)) (hash-table-put! h 100000 'v) (hash-table-get h 100000)", "v"},
        {"(list (hash-table? (make-hash-table)) (hash-table? 1))", "(#t #f)"},
        {"(hash-table-map (make-hash-table) list)", "()"},
        {"(hash-table-for-each (make-hash-table) list)", "#<undef>"},
        {"(hash-table-map (make-hash-table) 5)", "Error: hash-table-map: procedure required: 5 \n"},
        {"(hash-table-num-entries 5)", "Error: hash-table-num-entries: hash-table required: 5 \n"},
        {"(hash-table-get (make-hash-table))", "Error: wrong number of arguments: hash-table-get requires 2, but got 1 \n"},
    });
}

TEST(HashTables, Iteration) {
    run_table({
        // map's list follows the iteration order, which for-each shares
        {"(define h (make-hash-table)) (hash-table-put! h 1 10) (hash-table-put! h 2 20) (hash-table-put! h 3 30) "
         "(define seen '()) (hash-table-for-each h (lambda (k v) (set! seen (cons (+ k v) seen)))) "
         "(equal? (reverse seen) (hash-table-map h (lambda (k v) (+ k v))))",
         "#t"},
        {"(define h (make-hash-table)) (hash-table-put! h 1 10) (hash-table-put! h 2 20) "
         "(apply + (hash-table-map h (lambda (k v) (+ k v))))",
         "33"},
        // deleting the entry being visited is safe
        {"(define h (make-hash-table)) (hash-table-put! h 1 1) (hash-table-put! h 2 2) (hash-table-put! h 3 3) "
         "(hash-table-for-each h (lambda (k v) (hash-table-delete! h k))) (hash-table-num-entries h)",
         "0"},
        // an error inside the procedure ends the iteration like any error
        {"(define h (make-hash-table)) (hash-table-put! h 1 1) (hash-table-for-each h (lambda (k v) (car k)))",
         "Error: car: pair required: 1 \n"},
        // an escape through a continuation
        {"(define h (make-hash-table)) (hash-table-put! h 1 'one) "
         "(call-with-current-continuation (lambda (k) (hash-table-for-each h (lambda (key v) (k v))) 'none))",
         "one"},
    });
}

TEST(HashTables, ManyEntriesSurviveCollection) {
    Interp in;
    in.ctx->threshold = 0;
    EXPECT_EQ(in.run("(define h (make-hash-table 'string=?)) "
                     "(let loop ((i 0)) (if (< i 2000) (begin (hash-table-put! h (number->string i) (list i)) "
                     "(loop (+ i 1))))) (gc) (list (hash-table-num-entries h) (hash-table-get h \"1999\"))"),
              "(2000 (1999))");
}

}  // namespace
