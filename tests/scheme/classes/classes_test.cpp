#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include "tests/scheme/support/case_table.h"

using scheme_test::Interp;
using scheme_test::run_table;
using scheme_test::u8;

namespace {

// A host with the system services: files to stat, a program starter that
// records its command lines, a clipboard.
struct SystemInterp : Interp {
    std::vector<std::u16string> started;
    std::u16string clipboard;
    bool has_clipboard = false;

    // the host's user pointer stays the test host's; this finds the rest
    static std::map<void*, SystemInterp*>& owners() {
        static std::map<void*, SystemInterp*> m;
        return m;
    }
    static SystemInterp* of(void* user) { return owners()[user]; }

    ~SystemInterp() { owners().erase(&host); }
    SystemInterp() {
        owners()[&host] = this;
        ctx->host.file_stat = [](void*, const char16_t* path, int64_t* size, int64_t* at, int64_t* mt,
                                 int64_t* ct) {
            if (std::u16string(path) != u"a.txt") return false;
            *size = 10;
            *at = 100;
            *mt = 200;
            *ct = 5000000000LL;  // beyond 32 bits: clamps
            return true;
        };
        ctx->host.exec = [](void* u, const char16_t* line) {
            SystemInterp* self = of(u);
            if (!line[0]) return false;
            self->started.push_back(line);
            return true;
        };
        ctx->host.clipboard_text = [](void* u, std::size_t* units) -> char16_t* {
            SystemInterp* self = of(u);
            *units = 0;
            if (!self->has_clipboard) return nullptr;
            auto* copy = static_cast<char16_t*>(std::malloc((self->clipboard.size() + 1) * sizeof(char16_t)));
            std::memcpy(copy, self->clipboard.c_str(), (self->clipboard.size() + 1) * sizeof(char16_t));
            *units = self->clipboard.size();
            return copy;
        };
    }
};

TEST(Classes, DefinedClassesAndObjects) {
    run_table<SystemInterp>({
        {"(_define-class \"point\" '() '(x y))", "#<class point>"},
        {"(define c (_define-class \"point\" '() '(x y))) (define p (make c)) (slot-set! p 'x 1) "
         "(list (slot-ref p 'x) (slot-ref p 'y))",
         "(1 #<undef>)"},
        {"(define p (make (_define-class \"point\" '() '(x)))) (slot-set! p 'x \"any value\")", "#<undef>"},
        {"(define p (make (_define-class \"point\" '() '(x)))) (slot-ref p 'z)",
         "Error: slot-ref: object doesn't have such slot: z \n"},
        {"(define p (make (_define-class \"point\" '() '(x)))) (slot-set! p 'z 5)",
         "Error: slot-ref: object doesn't have such slot: 5 \n"},
        {"(make 1)", "Error: make: class required: 1 \n"},
        {"(slot-ref 1 'x)", "Error: slot-ref: object required: 1 \n"},
        {"(_define-class \"p\" '() '(x 1))", "Error: _define-class: symbol required: 1 \n"},
        {"(_define-class \"p\" 5 '(x))", "Error: _define-class: list required: 5 \n"},
        {"(_define-class \"p\" '())", "Error: wrong number of arguments: _define-class requires 3, but got 2 \n"},
        // slots are not inherited from the supers
        {"(define a (_define-class \"a\" '() '(x))) (define b (_define-class \"b\" (list a) '(y))) "
         "(slot-ref (make b) 'x)",
         "Error: slot-ref: object doesn't have such slot: x \n"},
    });
}

TEST(Classes, BuiltInClasses) {
    run_table<SystemInterp>({
        {"<sys-tm>", "#<class <sys-tm>>"},
        {"(define t (make <sys-tm>)) (slot-set! t 'year \"x\")", "Error: exact integer required, but got \"x\" \n"},
        {"(define t (make <sys-tm>)) (slot-set! t 'year 99) (slot-ref t 'year)", "99"},
        {"(sys-strftime \"%H:%M:%S\" (make <sys-tm>))", "\"00:00:00\""},
        {"(define t (make <sys-tm>)) (slot-set! t 'year 100) (slot-set! t 'mday 2) (sys-strftime \"%Y-%d\" t)",
         "\"2000-02\""},
        {"(define t (make <sys-tm>)) (slot-set! t 'mon 12) (sys-strftime \"%m\" t)",
         "Error: sys-strftime: field out of range: mon \n"},
        {"(define t (make <sys-tm>)) (slot-set! t 'hour -1) (sys-strftime \"%H\" t)",
         "Error: sys-strftime: field out of range: hour \n"},
        {"(sys-strftime \"\" (make <sys-tm>))", "\"\""},
        {"(slot-ref (sys-localtime 100000000) 'year)", "73"},
        {"(sys-strftime \"%Y\" (sys-localtime 100000000))", "\"1973\""},
        // rebinding the global names changes nothing for the system procedures
        {"(define <sys-tm> (_define-class \"<sys-tm>\" '() '())) (sys-strftime \"%Y\" (sys-localtime 100000000))",
         "\"1973\""},
        {"(define t (sys-localtime 0)) (set! <sys-stat> 1) (define s (sys-stat \"a.txt\")) (slot-ref s 'size)", "10"},
        {"(define s (sys-stat \"a.txt\")) (list (slot-ref s 'atime) (slot-ref s 'mtime) (slot-ref s 'ctime))",
         "(100 200 2147483647)"},
        {"(sys-stat \"none\")", "Error: sys-stat: stat error: \"none\" \n"},
        {"(number? (sys-time))", "#t"},
        {"(sys-localtime 'a)", "Error: sys-localtime: number required: a \n"},
    });
    SystemInterp in;
    std::string r = in.run("(sys-strftime \"%Y\" (make (_define-class \"c\" '() '())))");
    EXPECT_EQ(r.substr(0, 45), "Error: sys-strftime: <sys-tm> required: #<c 0") << r;
    r = in.run("(sys-strftime (make-string 1100 #\\a) (make <sys-tm>))");
    EXPECT_EQ(r.substr(0, 35), "Error: sys-strftime: cannot format:") << r;
}

TEST(Classes, StartingProgramsAndTheClipboard) {
    SystemInterp in;
    EXPECT_EQ(in.run("(win-exec \"notepad\" \"a.txt\")"), "0");
    ASSERT_EQ(in.started.size(), 1u);
    EXPECT_EQ(in.started[0], u"notepad a.txt ");
    // 1021 units and a blank fill the 1022 the line allows
    EXPECT_EQ(in.run("(win-exec (make-string 1021 #\\a))"), "0");
    EXPECT_EQ(in.run("(win-exec (make-string 1022 #\\a))"), "Error: command is too long \n");
    EXPECT_EQ(in.run("(win-exec (make-string 600 #\\a) (make-string 500 #\\a))"), "Error: command is too long \n");
    EXPECT_EQ(in.run("(win-exec)"), "Error: win-exec: can not execute \"\" \n");
    EXPECT_EQ(in.run("(win-exec \"a\" 1)"), "Error: win-exec: string required: 1 \n");
    EXPECT_EQ(in.run("(win-get-clipboard-text)"), "\"\"");
    in.has_clipboard = true;
    in.clipboard = u"clip\u3042";
    EXPECT_EQ(in.run("(win-get-clipboard-text)"), "\"clip\xE3\x81\x82\"");
    // without the host's services
    Interp bare;
    EXPECT_EQ(bare.run("(win-get-clipboard-text)"), "\"\"");
    EXPECT_EQ(bare.run("(win-exec \"x\")"), "Error: win-exec: can not execute \"x \" \n");
}

}  // namespace
