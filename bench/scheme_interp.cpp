// The macro interpreter against TinyScheme (the Debian package's
// `tinyscheme` program) on the same programs: fib(25), tak(18,12,6), a
// string-append loop, an association-list workload and deriv. Both sides
// are measured in CPU time; TinyScheme's start-up (an empty script, its own
// init.scm included) is subtracted. Ours runs after loading scmlib/init.scm.
// The peer is skipped (and said so) when the program is not installed.
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include "scheme/scheme.h"

namespace {

struct Program {
    const char* name;
    const char* text;  // defines (run) and leaves its result as the last value
};

const Program kPrograms[] = {
    {"fib25", "(define (fib n) (if (< n 2) n (+ (fib (- n 1)) (fib (- n 2))))) (define (run) (fib 25))"},
    {"tak18_12_6",
     "(define (tak x y z) (if (not (< y x)) z (tak (tak (- x 1) y z) (tak (- y 1) z x) (tak (- z 1) x y)))) "
     "(define (run) (tak 18 12 6))"},
    {"string_append",
     "(define (grow i s) (if (= i 0) (string-length s) (grow (- i 1) (string-append s \"ab\")))) "
     "(define (run) (grow 4000 \"\"))"},
    {"assoc",
     "(define (my-assq k l) (cond ((null? l) #f) ((= k (car (car l))) (car l)) (else (my-assq k (cdr l))))) "
     "(define (build i acc) (if (= i 0) acc (build (- i 1) (cons (cons i (* i i)) acc)))) "
     "(define table (build 300 '())) "
     "(define (probe i sum) (if (= i 0) sum (probe (- i 1) (+ sum (cdr (my-assq (+ 1 (remainder i 300)) table)))))) "
     "(define (run) (probe 20000 0))"},
    {"deriv",
     "(define (deriv a) (cond ((not (pair? a)) (if (eq? a 'x) 1 0)) "
     "((eq? (car a) '+) (cons '+ (map deriv (cdr a)))) ((eq? (car a) '-) (cons '- (map deriv (cdr a)))) "
     "((eq? (car a) '*) (list '* a (cons '+ (map (lambda (a) (list '/ (deriv a) a)) (cdr a))))) "
     "((eq? (car a) '/) (list '- (list '/ (deriv (cadr a)) (caddr a)) "
     "(list '/ (cadr a) (list '* (caddr a) (caddr a) (deriv (caddr a)))))) (else 'error))) "
     "(define (repeat i) (if (> i 0) (begin (deriv '(+ (* 3 x x) (* a x x) (* b x) 5)) (repeat (- i 1))))) "
     "(define (run) (repeat 5000))"},
};

double cpu_seconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

double children_cpu_seconds() {
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

std::u16string widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// The start-up library: beside the program (as shipped), else in the source tree.
std::string find_init_scm(const char* argv0) {
    std::string self = argv0;
    std::string dir = self.substr(0, self.find_last_of('/') + 1);
    std::string source = __FILE__;
    source = source.substr(0, source.rfind("bench/")) + "scmlib/init.scm";
    for (const std::string& p : {dir + "../scmlib/init.scm", dir + "scmlib/init.scm", source}) {
        std::string text = read_file(p);
        if (!text.empty()) return text;
    }
    return {};
}

double ours(const std::string& init, const Program& p) {
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        scheme_context* ctx = scheme_create(nullptr);
        scheme_eval_string(ctx, widen(init).c_str());
        scheme_eval_string(ctx, widen(p.text).c_str());
        double t0 = cpu_seconds();
        scheme_eval_string(ctx, u"(run)");
        best = std::min(best, cpu_seconds() - t0);
        scheme_destroy(ctx);
    }
    return best;
}

double run_tinyscheme(const std::string& script) {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/wendrel_bench_tinyscheme.scm";
    std::ofstream(path, std::ios::binary) << script << "\n(quit)\n";
    double t0 = children_cpu_seconds();
    std::string cmd = "tinyscheme " + path + " >/dev/null 2>&1";
    int rc = std::system(cmd.c_str());
    if (rc == -1 || !WIFEXITED(rc) || WEXITSTATUS(rc) == 127) return -1;
    return children_cpu_seconds() - t0;
}

double tinyscheme(const Program& p, double startup) {
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        double t = run_tinyscheme(std::string(p.text) + " (run)");
        if (t < 0) return -1;
        best = std::min(best, t - startup);
    }
    return best;
}

}  // namespace

int main(int, char** argv) {
    std::string init = find_init_scm(argv[0]);
    if (init.empty()) {
        std::printf("bench: scmlib/init.scm not found\n");
        return 1;
    }
    double startup = 1e300;
    for (int i = 0; i < 3; ++i) {
        double t = run_tinyscheme("");
        if (t < 0) {
            startup = -1;
            break;
        }
        startup = std::min(startup, t);
    }
    for (const Program& p : kPrograms) {
        double a = ours(init, p);
        if (startup < 0) {
            std::printf("bench: %s ours=%.1fms tinyscheme=n/a (not installed)\n", p.name, a * 1000);
            continue;
        }
        double b = tinyscheme(p, startup);
        std::printf("bench: %s ours=%.1fms tinyscheme=%.1fms ratio=%.2f\n", p.name, a * 1000, b * 1000,
                    b > 0 ? a / b : 0.0);
    }
    return 0;
}
