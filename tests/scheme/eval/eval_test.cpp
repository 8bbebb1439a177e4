#include <gtest/gtest.h>

#include "tests/scheme/support/test_host.h"

using scheme_test::Interp;

namespace {

struct Case {
    const char* program;
    const char* expected;  // write form of the value, or the error output
};

// Each case runs twice: as is, and with a full collection at every cell
// allocation, which shows any cell a step holds without a root.
void run_table(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        Interp in;
        EXPECT_EQ(in.run(c.program), c.expected) << c.program;
        Interp stressed;
        stressed.ctx->threshold = 0;
        EXPECT_EQ(stressed.run(c.program), c.expected) << "collecting at every allocation: " << c.program;
    }
}

TEST(Eval, SpecialForms) {
    run_table({
        {"(define x 1)", "x"},
        {"(define x 1) x", "1"},
        {"(define (f a b) (+ a b)) (f 2 3)", "5"},
        {"((lambda (a b) a) 1 2 3)", "1"},
        {"((lambda (a b) a) 1)", "Error: few arguments \n"},
        {"((lambda (a . r) r) 1 2 3)", "(2 3)"},
        {"((lambda r r))", "()"},
        {"((lambda (a :optional (b 5) c) (list a b c)) 1)", "(1 5 #<undef>)"},
        {"((lambda (a :optional (b 5) c) (list a b c)) 1 2 3)", "(1 2 3)"},
        {"((lambda (a :optional (b (+ a 1)) . r) (list a b r)) 1)", "(1 2 ())"},
        {"((lambda (a :optional (b 5)) (list a b)) 1 7)", "(1 7)"},
        {"(if '() 1 2)", "1"},
        {"(if #f 1 2)", "2"},
        {"(if #f 1)", "#<undef>"},
        {"(begin)", "()"},
        {"(begin 1 2 3)", "3"},
        {"(define x 1) (set! x 5) x", "5"},
        {"(set! y 5)", "Error: unbounded variable y \n"},
        {"(define x 1) (set! x 2)", "x"},
        {"(let ((a 1) (b 2)) (+ a b))", "3"},
        {"(define a 10) (let ((a 1) (b a)) b)", "10"},
        {"(let (a) a)", "Error: let: invalid operation \n"},
        {"(let loop ((i 0) (acc '())) (if (= i 3) acc (loop (+ i 1) (cons i acc))))", "(2 1 0)"},
        {"(let* () 5)", "5"},
        {"(let* ((a 1) (b (+ a 1))) (list a b))", "(1 2)"},
        {"(let* (5) 1)", "Error: syntax error \n"},
        {"(letrec ((ev (lambda (n) (if (= n 0) #t (od (- n 1))))) (od (lambda (n) (if (= n 0) #f (ev (- n 1)))))) "
         "(ev 10))",
         "#t"},
        {"(cond ((+ 1 1) => (lambda (x) (* x 10))))", "20"},
        {"(cond (#f 1))", "#<undef>"},
        {"(cond)", "Error: Syntax error in cond \n"},
        {"(cond 5)", "Error: Syntax error in cond \n"},
        {"(cond (#f 1) (else 2))", "2"},
        {"(cond (7))", "7"},
        {"(and)", "#t"},
        {"(and 1 2)", "2"},
        {"(and 1 #f 2)", "#f"},
        {"(or)", "#f"},
        {"(or #f 3)", "3"},
        {"(or #f #f)", "#f"},
        {"(quote (a b))", "(a b)"},
        {"'#(1 2)", "#(1 2)"},
        {"(quote-vector (1 2))", "#(1 2)"},
        {"(quote-vector (1 . 2))", "Error: vector constructer require list: (1 . 2) \n"},
        {"(define 5 1)", "Error: Variable is not symbol \n"},
        {"(define-macro 5 1)", "Error: variable is not a symbol \n"},
        {"(undefined-fn 1)", "Error: unbounded variable undefined-fn \n"},
        {"(5 1)", "Error: illegal function 5 \n"},
        {"(if . 1)", "Error: syntax error \n"},
        {"(define (f) (define z 1) z) (f) (symbol-bound? 'z)",
         "#f"},
        {"(define z 0) (define (f) (define z 1) z) (list (f) z)", "(1 0)"},
        {"((lambda (a b . 5) a) 1 2 3)", "Error: syntax error in closure \n"},
        {"(define-macro (m a b) a) (m 1 . 2)", "Error: syntax-error \n"},
        {"(define (make-counter) (let ((n 0)) (lambda () (set! n (+ n 1)) n)))"
         "(define c (make-counter)) (define d (make-counter)) (c) (c) (d) (list (c) (d))",
         "(3 2)"},
        {"(define (compose f g) (lambda (x) (f (g x)))) ((compose car cdr) '(1 2 3))", "2"},
        {"(define (f . args) (apply + args)) (f 1 2 3)", "6"},
        {"(list (eq? 'abc 'abc) (eq? 100000 100000) (eq? \"a\" \"a\") (equal? \"a\" \"a\") (eq? #\\a #\\a))",
         "(#t #t #f #t #t)"},
    });
}

TEST(Eval, LetOptionals) {
    run_table({
        {"(define args '(1)) (let-optionals args ((a 10) (b 20)) (list a b))", "(1 20)"},
        {"(define args '()) (let-optionals args ((a 10) (b 20)) (list a b))", "(10 20)"},
        {"(define args '(1 2 3)) (let-optionals args ((a 10) (b 20)) (list a b))",
         "Error: too many arguments \n"},
        {"(let-optionals nowhere ((a 1)) a)", "Error: unbounded variable nowhere \n"},
        // a supplied value binds to itself, even a symbol or a list
        {"(define args '(x (1 2))) (let-optionals args ((a 10) (b 20)) (list a b))", "(x (1 2))"},
        {"(define (f . r) (let-optionals r ((a 1)) a)) (list (f) (f 5) (f))", "(1 5 1)"},
    });
}

TEST(Eval, Quasiquote) {
    run_table({
        {"`(1 ,@'(2 3) ,(+ 2 2))", "(1 2 3 4)"},
        {"`(1 `(2 ,(3 ,(+ 1 3))))", "(1 `(2 ,(3 4)))"},
        {"(define x 5) `(a . ,x)", "(a . 5)"},
        {"(define x '(1 2)) `(a . ,@x)", "Error: unquote-splicing in invalid context \n"},
        {"`(a ,@5)", "(a . 5)"},
        {"`(a ,@'() b)", "(a b)"},
        {"`(a (unquote))", "Error: syntax error \n"},
        {"(define x 2) `#(1 ,x)", "#(1 2)"},
        {"`x", "x"},
        {"`(1 . 2)", "(1 . 2)"},
        {"(define x 3) `(,x ,@(list x x) . end)", "(3 3 3 . end)"},
    });
}

TEST(Eval, Macros) {
    run_table({
        {"(define-macro (my-if c a b) `(cond (,c ,a) (else ,b))) (my-if #f 1 2)", "2"},
        {"(define-macro (m . x) `(quote ,x)) (m 1 2)", "(1 2)"},
        // a primitive is never turned into a macro
        {"(define-macro m car)", "Error: define-macro: closure required: #<subr car> \n"},
        {"(define f (lambda (x) x)) (define-macro m f) (f 5)", "5"},
    });
    // expanded once per call site; a later redefinition leaves the site alone
    Interp in;
    in.eval("(define n 0) (define-macro (m) (set! n (+ n 1)) 42) (define (f) (m))");
    EXPECT_EQ(in.run("(list (f) (f) n)"), "(42 42 1)");
    in.eval("(define-macro (m) 7)");
    EXPECT_EQ(in.run("(f)"), "42");
}

TEST(Eval, ContinuationsAndValues) {
    run_table({
        {"(call-with-current-continuation (lambda (k) (+ 1 (k 42))))", "42"},
        {"(+ 1 (call-with-current-continuation (lambda (k) 5)))", "6"},
        // re-entering a stored continuation resumes at its capture point
        {"(define r '()) (define k #f)"
         "(begin (set! r (cons (call-with-current-continuation (lambda (c) (set! k c) 0)) r))"
         "       (if (< (car r) 3) (k (+ (car r) 1)))"
         "       r)",
         "(3 2 1 0)"},
        {"(call-with-values (lambda () (values 1 2)) list)", "(1 2)"},
        {"(call-with-values (lambda () 5) list)", "(5)"},
        {"(call-with-values (lambda () (values 1 2) 3) list)", "(3)"},
        {"(values)", "#<undef>"},
        {"(call-with-values (lambda () (call-with-current-continuation (lambda (k) (k 1 2)))) list)", "(1 2)"},
        {"(apply + 1 2 '(3 4))", "10"},
        {"(apply + 1 2)", "Error: last argument must be list \n"},
        {"(apply list '())", "()"},
        {"(eval '(+ 1 2))", "3"},
        {"(eval '(+ 1 2) (interaction-environment))", "3"},
    });
    // a continuation kept from one evaluation cannot cross into the next
    Interp in;
    in.eval("(define k #f) (+ 1 (call-with-current-continuation (lambda (c) (set! k c) 1)))");
    EXPECT_EQ(in.run("(k 5)"), "Error: continuation called outside its evaluation #<continuation> \n");
    EXPECT_EQ(in.run("(+ 1 2)"), "3");
}

TEST(Eval, ProperTailCallsRunInConstantSpace) {
    Interp in;
    EXPECT_EQ(in.run("(let loop ((i 0)) (if (< i 10000000) (loop (+ i 1)) i))"), "10000000");
    EXPECT_LT(in.ctx->dump_capacity, 64);
    EXPECT_LE(in.ctx->total_cells, 2 * SCHEME_SEGMENT_CELLS);
}

TEST(Eval, DeepRecursionGrowsTheDumpNotTheCStack) {
    Interp in;
    EXPECT_EQ(in.run("(define (count n) (if (= n 0) 0 (+ 1 (count (- n 1))))) (count 30000)"), "30000");
}

TEST(Eval, ErrorProtocolWritesToTheErrorPort) {
    Interp in;
    EXPECT_EQ(in.run("(error \"bad value:\" 3 \"x\")"), "Error: bad value: 3 \"x\" \n");
    EXPECT_EQ(in.run("(error 'sym 1)"), "Error: sym 1 \n");
    EXPECT_EQ(in.run("(car '())"), "Error: car: pair required: () \n");
    EXPECT_EQ(in.run("(car)"), "Error: wrong number of arguments: car requires 1, but got 0 \n");
    EXPECT_EQ(in.run("(car '(1) 2)"), "1");
    EXPECT_EQ(in.run("(< 1 2 'a)"), "Error: <: number required: a \n");
    EXPECT_EQ(in.run("(< 2 1 'a)"), "#f");
    // the rest of the source is abandoned; the machine is clean afterwards
    in.host.err.clear();
    in.eval("(display 1) (car 5) (display 2)");
    EXPECT_EQ(in.out(), "1");
    EXPECT_EQ(in.ctx->dump_count, 0);
    EXPECT_EQ(in.run("(display 3) 4"), "4");
    EXPECT_EQ(in.out(), "3");
}

TEST(Eval, CancelKeyStopsALoopWhenPressedNotWhileHeldFromBefore) {
    Interp in;
    const char* counted = "(let loop ((i 0)) (if (< i 20000) (loop (+ i 1)) i))";
    // Held (or reported held) since before the run: no press, no cancel.
    in.host.keys_down.insert(3);
    EXPECT_EQ(in.run(counted), "20000");
    EXPECT_EQ(in.run(counted), "20000");
    // Released, then pressed during the run.
    int polls = 0;
    in.host.keys_down.clear();
    in.host.on_key_poll = [&] {
        if (++polls == 3) in.host.keys_down.insert(3);
    };
    EXPECT_EQ(in.run("(let loop () (loop))"), "Error: canceled \n");
    EXPECT_EQ(in.ctx->cancel_flag, 1);
    // with a modifier configured, the key alone does not cancel
    in.ctx->cancel_modifiers = 8;
    polls = 0;
    in.host.keys_down.clear();
    EXPECT_EQ(in.run(counted), "20000");
    in.host.on_key_poll = [&] {
        if (++polls == 3) in.host.keys_down = {3, 0x11};
    };
    in.host.keys_down.clear();
    polls = 0;
    EXPECT_EQ(in.run("(let loop () (loop))"), "Error: canceled \n");
}

TEST(Eval, EqualIsBoundedOnCircularData) {
    Interp in;
    EXPECT_EQ(in.run("(equal? '(1 (2 #(3 \"x\"))) '(1 (2 #(3 \"x\"))))"), "#t");
    EXPECT_EQ(in.run("(equal? #(1 (2)) #(1 (2)))"), "#t");
    EXPECT_EQ(in.run("(equal? \"ab\" \"ac\")"), "#f");
    in.eval("(define a (list 1 2)) (define b (list 1 2))");
    // make both lists circular through their second pair
    scheme_cell* a = *scheme_lookup(in.ctx, intern(in.ctx, u"a"));
    scheme_cell* b = *scheme_lookup(in.ctx, intern(in.ctx, u"b"));
    a->cdr->cdr = a;
    b->cdr->cdr = b;
    EXPECT_EQ(in.run("(equal? a b)"), "Error: equal?: data too deep or circular \n");
    // a very deep structure
    EXPECT_EQ(in.run("(define (nest n acc) (if (= n 0) acc (nest (- n 1) (list acc))))"
                     "(equal? (nest 100000 1) (nest 100000 1))"),
              "#t");
}

// --- files --------------------------------------------------------------------------

TEST(Eval, LoadAndRequire) {
    Interp in;
    in.host.files[u"lib/a.scm"] = "(define a-loaded 1) (define (twice x) (* 2 x))";
    in.host.files[u"lib/b.scm"] = "(define b-count (+ b-count 1))";
    in.host.files[u"./rel.scm"] = "(display \"rel\")";
    in.eval("(define *load-path* '(\"none\" \"lib\"))");
    EXPECT_EQ(in.run("(load \"a.scm\")"), "#t");
    EXPECT_EQ(in.run("(twice a-loaded)"), "2");
    EXPECT_EQ(in.run("(define b-count 0) (require \"b\") (require \"b\") b-count"), "2");
    EXPECT_EQ(in.run("(use b) b-count"), "3");
    EXPECT_EQ(in.run("(use \"b\")"), "Error: use: symbol required: \"b\" \n");
    EXPECT_EQ(in.run("(load \"./rel.scm\") 5"), "5");
    EXPECT_EQ(in.out(), "rel");
    EXPECT_EQ(in.run("(load \"missing.scm\")"), "Error: load: can not find file \"missing.scm\" \n");
    // definitions made by a load inside a procedure are global
    EXPECT_EQ(in.run("(define (f) (load \"a.scm\") 1) (f) (twice 4)"), "8");
    EXPECT_EQ(in.host.open_handles, 0);
}

TEST(Eval, LoadUsesAbsoluteNamesAsTheyStand) {
    // Each name exists as it stands and under the load path: which one ran
    // shows whether the name was taken as absolute.
    struct NameCase {
        const char16_t* name;
        bool absolute;
    };
    const NameCase cases[] = {
        {u"./x.scm", true},
        {u"C:\\x.scm", true},
        {u"c:\\x.scm", true},
        {u"C:/x.scm", true},
        {u"z:/x.scm", true},
        {u"\\\\server\\share\\x.scm", true},
#ifndef _WIN32
        {u"/x.scm", true},
#endif
        {u"x.scm", false},
        {u"C:x.scm", false},
        {u"sub\\x.scm", false},
        {u"\\x.scm", false},
    };
    for (const NameCase& c : cases) {
        Interp in;
        std::u16string name = c.name;
        in.host.files[name] = "(define loaded 'as-given)";
        in.host.files[u"lib/" + name] = "(define loaded 'from-load-path)";
        in.eval("(define *load-path* '(\"lib\"))");
        std::string escaped;
        for (char ch : scheme_test::u8(name)) escaped += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
        EXPECT_EQ(in.run("(load \"" + escaped + "\") loaded"), c.absolute ? "as-given" : "from-load-path")
            << scheme_test::u8(name);
    }
}

TEST(Eval, AnErrorInsideALoadedFileStopsTheOuterRun) {
    Interp in;
    in.host.files[u"lib/bad.scm"] = "(define before 1) (car 1) (define after 1)";
    in.eval("(define *load-path* '(\"lib\"))");
    in.host.err.clear();
    in.eval("(load \"bad.scm\") (define outer 1)");
    EXPECT_EQ(scheme_test::u8(in.host.err), "Error: car: pair required: 1 \n");
    EXPECT_EQ(in.run("before"), "1");
    EXPECT_EQ(in.run("after"), "Error: unbounded variable after \n");
    EXPECT_EQ(in.run("outer"), "Error: unbounded variable outer \n");
    EXPECT_EQ(in.ctx->dump_count, 0);
    EXPECT_EQ(in.host.open_handles, 0);
}

TEST(Eval, RecursiveLoadIsBounded) {
    Interp in;
    in.host.files[u"lib/self.scm"] = "(load \"self.scm\")";
    in.eval("(define *load-path* '(\"lib\"))");
    EXPECT_EQ(in.run("(load \"self.scm\")"), "Error: load: nesting too deep \"self.scm\" \n");
    EXPECT_EQ(in.run("(+ 1 1)"), "2");
    EXPECT_EQ(in.host.open_handles, 0);
}

TEST(Eval, MultibyteFileWithACharacterSplitAcrossReads) {
    Interp in;
    // "あい" in Shift_JIS inside a string literal, read three bytes at a time
    in.host.files[u"lib/sjis.scm"] = std::string("(define s \"\x82\xA0\x82\xA2\")");
    in.host.read_chunk = 3;
    in.eval("(define *load-path* '(\"lib\"))");
    EXPECT_EQ(in.run("(load \"sjis.scm\") s"), "\"\xE3\x81\x82\xE3\x81\x84\"");
}

TEST(Eval, Utf16FileWithByteOrderMark) {
    Interp in;
    std::u16string text = u"(define w \"\u3042\")";
    std::string bytes("\xFF\xFE", 2);
    for (char16_t c : text) bytes += static_cast<char>(c & 0xFF), bytes += static_cast<char>(c >> 8);
    in.host.files[u"lib/w.scm"] = bytes;
    in.host.read_chunk = 5;
    EXPECT_EQ(scheme_load_file(in.ctx, u"lib/w.scm"), 0);
    EXPECT_EQ(in.run("w"), "\"\xE3\x81\x82\"");
    EXPECT_EQ(scheme_load_file(in.ctx, u"lib/none.scm"), 1);
    EXPECT_EQ(scheme_test::u8(in.ctx->error_text), "fatal error: file cannot open lib/none.scm");
}

// --- nested runs and host procedures --------------------------------------------------

scheme_cell* host_eval_arg(scheme_context* ctx, scheme_cell** args, int) {
    return scheme_eval_string(ctx, scheme_string(args[0])->text);
}

scheme_cell* host_raise(scheme_context* ctx, scheme_cell** args, int) {
    ctx->args = cons(ctx, mk_string(ctx, u"host says no"), ctx->NIL);
    scheme_run(ctx, OP_ERROR);
    return ctx->T;
}

scheme_cell* host_call(scheme_context* ctx, scheme_cell** args, int) { return scheme_call_procedure(ctx, args[0]); }

TEST(Eval, HostProcedures) {
    Interp in;
    ASSERT_EQ(scheme_register_function(in.ctx, u"p", host_eval_arg, 1, 2, u"SN"), 0);
    ASSERT_EQ(scheme_register_function(in.ctx, u"raise", host_raise, 0, 0, u""), 0);
    ASSERT_EQ(scheme_register_function(in.ctx, u"call", host_call, 1, 1, u"A"), 0);
    EXPECT_EQ(in.run("(p \"(+ 1 2)\")"), "3");
    EXPECT_EQ(in.run("(p \"x\" 'b)"), "Error: p: number required: b \n");
    EXPECT_EQ(in.run("(p)"), "Error: wrong number of arguments: p requires 1, but got 0 \n");
    EXPECT_EQ(in.run("p"), "#<callback function p>");
    // an error inside an evaluation the host starts is that evaluation's own
    in.host.err.clear();
    in.eval("(define r (p \"(car 1)\")) (define went-on 1)");
    EXPECT_EQ(scheme_test::u8(in.host.err), "Error: car: pair required: 1 \n");
    EXPECT_EQ(in.run("went-on"), "1");
    in.host.err.clear();
    in.eval("(raise) (define after 1)");
    EXPECT_EQ(scheme_test::u8(in.host.err), "Error: host says no \n");
    EXPECT_EQ(in.run("after"), "Error: unbounded variable after \n");
    EXPECT_EQ(in.run("(+ 1 (call (lambda () 41)))"), "42");
    EXPECT_EQ(in.ctx->dump_count, 0);
}

scheme_cell* host_boom(scheme_context* ctx, scheme_cell**, int) { scheme_fatal_error(ctx, "no memory"); }

scheme_cell* host_inner(scheme_context* ctx, scheme_cell**, int) {
    // a nested entry traps the fatal error and hands back its failure value
    scheme_cell* r = scheme_eval_string(ctx, u"(boom)");
    return r == ctx->F ? mk_string(ctx, u"inner failed") : ctx->T;
}

TEST(Eval, FatalErrorsReturnToTheInnermostEntry) {
    Interp in;
    scheme_register_function(in.ctx, u"boom", host_boom, 0, 0, u"");
    scheme_register_function(in.ctx, u"inner", host_inner, 0, 0, u"");
    scheme_cell* outport = in.ctx->outport;
    EXPECT_EQ(in.run("(inner)"), "\"inner failed\"");
    EXPECT_EQ(in.host.fatal_boxes.size(), 1u);
    // a fatal error outside any nested entry fails the whole evaluation
    EXPECT_EQ(in.eval("(define x (inner)) (let ((y 1)) (boom))"), in.ctx->F);
    EXPECT_EQ(in.host.fatal_boxes.size(), 3u);
    EXPECT_EQ(in.run("x"), "\"inner failed\"");
    EXPECT_EQ(in.ctx->dump_count, 0);
    EXPECT_EQ(in.ctx->no_gc, 0);
    EXPECT_EQ(in.ctx->outport, outport);
    EXPECT_EQ(in.ctx->envir, in.ctx->global_frame);
    EXPECT_EQ(in.run("(+ 1 2)"), "3");
    EXPECT_EQ(scheme_test::u8(in.ctx->error_text), "fatal error: no memory");
}

TEST(Eval, AContinuationCannotEscapeANestedRun) {
    Interp in;
    scheme_register_function(in.ctx, u"call", host_call, 1, 1, u"A");
    in.host.err.clear();
    // k belongs to the outer run; calling it inside the host's run is an error
    // of that run, and the outer run goes on
    scheme_cell* v = in.eval("(call-with-current-continuation (lambda (k) (call (lambda () (k 1))) 2))");
    EXPECT_EQ(scheme_test::u8(in.host.err), "Error: continuation called outside its evaluation #<continuation> \n");
    EXPECT_EQ(scheme_test::write_form(in.ctx, v), "2");
    EXPECT_EQ(in.ctx->dump_count, 0);
    EXPECT_EQ(in.run("(+ 2 3)"), "5");
}

TEST(Eval, CallProcedureAndToString) {
    Interp in;
    scheme_cell* f = in.eval("(lambda () (+ 20 22))");
    scheme_protect(in.ctx, f);
    scheme_collect(in.ctx, in.ctx->NIL, in.ctx->NIL, true);
    EXPECT_EQ(scheme_call_procedure(in.ctx, f)->ival, 42);
    scheme_unprotect(in.ctx, f);
    EXPECT_EQ(scheme_test::u8(scheme_to_string(in.ctx, in.eval("\"a\\\"b\""))), "a\"b");
    EXPECT_EQ(scheme_test::u8(scheme_to_string(in.ctx, in.eval("'(1 \"x\" #\\a)"))), "(1 x a)");
}

TEST(Eval, ReturningIntoAnEmptyDumpStopsWithAnError) {
    Interp in;
    in.host.err.clear();
    in.ctx->code = mk_integer(in.ctx, 5);
    scheme_run(in.ctx, OP_EVAL);
    EXPECT_EQ(scheme_test::u8(in.host.err), "Error: return with an empty dump stack \n");
    EXPECT_EQ(in.ctx->dump_count, 0);
}

}  // namespace
