// Regex throughput on real Japanese text (the manpages-ja sources, decoded
// to UTF-16), against Oniguruma (UTF-16LE), PCRE2 16-bit with and without
// JIT, and std::regex as a floor. Each case counts every match, searching
// on from each match end, in the whole text (one string, lines joined by
// LF); the backward case walks the lines from the last to the first and
// takes the last match of each, as the editor's backward search does.
//
//   bench_textengine_regex [UTF16LE-FILE]
//   bench_textengine_regex --long-lines [CASE...]  (only the long-line cases below, or those named)
//
// Without a file the text is read from /usr/share/man/ja. The peers are
// loaded at run time, so the benchmark builds without their libraries.
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "textengine/regex/regex.h"
#include "tools/wdev/wdev_regex_text.h"

#if __has_include(<oniguruma.h>)
#include <oniguruma.h>
#define HAVE_ONIG 1
#endif
#if __has_include(<pcre2.h>)
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>
#define HAVE_PCRE2 1
#endif

namespace {

using Clock = std::chrono::steady_clock;

std::u16string load_text(int argc, char** argv) {
    std::string bytes;
    if (argc > 1) {
        std::FILE* f = std::fopen(argv[1], "rb");
        if (!f) return {};
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        std::fclose(f);
        std::u16string t(bytes.size() / 2, u'\0');
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = char16_t(static_cast<unsigned char>(bytes[2 * i]) | static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        if (!t.empty() && t[0] == 0xFEFF) t.erase(0, 1);
        return t;
    }
    std::FILE* p = popen("find /usr/share/man/ja -name '*.gz' | LC_ALL=C sort | xargs zcat 2>/dev/null", "r");
    if (!p) return {};
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) bytes.append(buf, n);
    pclose(p);
    return Utf8ToUtf16(bytes);
}

std::vector<std::u16string> split_lines(const std::u16string& t) {
    std::vector<std::u16string> lines;
    size_t s = 0;
    for (size_t i = 0; i <= t.size(); ++i) {
        if (i == t.size() || t[i] == u'\n') {
            lines.push_back(t.substr(s, i - s));
            s = i + 1;
        }
    }
    return lines;
}

// Best throughput in MB/s (of UTF-16 input) over repeated runs.
double measure(size_t units, const std::function<long()>& run, long* count) {
    double best = 1e30;
    auto deadline = Clock::now() + std::chrono::milliseconds(400);
    int runs = 0;
    do {
        auto t0 = Clock::now();
        *count = run();
        double s = std::chrono::duration<double>(Clock::now() - t0).count();
        best = std::min(best, s);
        ++runs;
    } while (runs < 3 || (Clock::now() < deadline && runs < 50));
    return double(units) * 2 / 1e6 / best;
}

// Counting loops: every match, from each match end; one unit on after an
// empty match.
struct Engine {
    explicit Engine(const char* n) : name(n) {}
    const char* name;
    // Compiles for the case; false when the engine cannot take it.
    std::function<bool(const std::u16string& pat, bool icase)> compile;
    std::function<long(const std::u16string& text)> count;
    std::function<long(const std::vector<std::u16string>& lines)> backward;
    std::function<void()> release;
    double text_fraction = 1.0;  // std::regex runs on a prefix
};

using FindFn = std::function<int(const std::u16string&, size_t, size_t*, size_t*)>;

// -1 when the engine gave up (a match or backtracking limit).
long count_all(const std::u16string& t, const FindFn& find) {
    long n = 0;
    size_t from = 0, s, e;
    int r;
    while (from <= t.size() && (r = find(t, from, &s, &e)) == 1) {
        ++n;
        from = e > s ? e : s + 1;
    }
    return r < 0 ? -1 : n;
}

long count_lines_backward(const std::vector<std::u16string>& lines,
                          const FindFn& find) {
    long found = 0;
    for (size_t l = lines.size(); l-- > 0;) {
        size_t from = 0, s, e;
        bool any = false;
        while (from <= lines[l].size() && find(lines[l], from, &s, &e) == 1) {
            any = true;
            from = e > s ? e : s + 1;
        }
        found += any;
    }
    return found;
}

// ---------------------------------------------------------------------------

Engine ours_engine() {
    static CompiledRegex* re = nullptr;
    Engine e("ours");
    e.compile = [](const std::u16string& pat, bool icase) {
        re = regex_compile_n(pat.data(), int(pat.size()), icase ? REGEX_COMPILE_ICASE : 0);
        return re != nullptr;
    };
    e.count = [](const std::u16string& t) {
        long n = 0;
        int from = 0, col, len, r;
        while ((r = regex_search_string_n(re, t.c_str(), int(t.size()), from, &col, &len)) == 1) {
            ++n;
            from = col + (len > 0 ? len : 1);
        }
        return r < 0 ? -1 : n;
    };
    e.backward = [](const std::vector<std::u16string>& lines) {
        return count_lines_backward(lines, [](const std::u16string& l, size_t from, size_t* s, size_t* en) {
            int col, len;
            int r = regex_search_string_n(re, l.c_str(), int(l.size()), int(from), &col, &len);
            *s = size_t(col);
            *en = size_t(col + len);
            return r;
        });
    };
    e.release = [] {
        regex_free(re);
        re = nullptr;
    };
    return e;
}

#ifdef HAVE_ONIG
struct OnigApi {
    decltype(&onig_initialize) initialize = nullptr;
    decltype(&onig_new) make = nullptr;
    decltype(&onig_free) free = nullptr;
    decltype(&onig_region_new) region_new = nullptr;
    decltype(&onig_region_free) region_free = nullptr;
    decltype(&onig_search) search = nullptr;
    OnigEncoding enc = nullptr;
    OnigSyntaxType* syntax = nullptr;
    bool load() {
        void* h = dlopen("libonig.so.5", RTLD_NOW);
        if (!h) return false;
        initialize = reinterpret_cast<decltype(initialize)>(dlsym(h, "onig_initialize"));
        make = reinterpret_cast<decltype(make)>(dlsym(h, "onig_new"));
        free = reinterpret_cast<decltype(free)>(dlsym(h, "onig_free"));
        region_new = reinterpret_cast<decltype(region_new)>(dlsym(h, "onig_region_new"));
        region_free = reinterpret_cast<decltype(region_free)>(dlsym(h, "onig_region_free"));
        search = reinterpret_cast<decltype(search)>(dlsym(h, "onig_search"));
        enc = static_cast<OnigEncoding>(dlsym(h, "OnigEncodingUTF16_LE"));
        auto** syn = static_cast<OnigSyntaxType**>(dlsym(h, "OnigDefaultSyntax"));
        syntax = syn ? *syn : nullptr;
        if (!initialize || !make || !free || !region_new || !region_free || !search || !enc || !syntax) return false;
        OnigEncoding encs[1] = {enc};
        initialize(encs, 1);
        return true;
    }
};

Engine onig_engine(OnigApi* api) {
    static regex_t* reg = nullptr;
    static OnigRegion* region = nullptr;
    static OnigApi* a = nullptr;
    a = api;
    Engine e("onig");
    e.compile = [](const std::u16string& pat, bool icase) {
        OnigErrorInfo info;
        auto* p = reinterpret_cast<const OnigUChar*>(pat.data());
        int r = a->make(&reg, p, p + pat.size() * 2, icase ? ONIG_OPTION_IGNORECASE : ONIG_OPTION_NONE, a->enc,
                        a->syntax, &info);
        region = a->region_new();
        return r == ONIG_NORMAL;
    };
    auto find = [](const std::u16string& t, size_t from, size_t* s, size_t* e) {
        auto* b = reinterpret_cast<const OnigUChar*>(t.data());
        const OnigUChar* end = b + t.size() * 2;
        int r = a->search(reg, b, end, b + from * 2, end, region, ONIG_OPTION_NONE);
        if (r == ONIG_MISMATCH) return 0;
        if (r < 0) return -1;
        *s = size_t(region->beg[0]) / 2;
        *e = size_t(region->end[0]) / 2;
        return 1;
    };
    e.count = [find](const std::u16string& t) { return count_all(t, find); };
    e.backward = [find](const std::vector<std::u16string>& lines) { return count_lines_backward(lines, find); };
    e.release = [] {
        a->region_free(region, 1);
        a->free(reg);
    };
    return e;
}
#endif

#ifdef HAVE_PCRE2
struct Pcre2Api {
    decltype(&pcre2_compile_16) compile = nullptr;
    decltype(&pcre2_jit_compile_16) jit = nullptr;
    decltype(&pcre2_match_16) match = nullptr;
    decltype(&pcre2_match_data_create_from_pattern_16) md_create = nullptr;
    decltype(&pcre2_match_data_free_16) md_free = nullptr;
    decltype(&pcre2_code_free_16) code_free = nullptr;
    decltype(&pcre2_get_ovector_pointer_16) ovector = nullptr;
    bool load() {
        void* h = dlopen("libpcre2-16.so.0", RTLD_NOW);
        if (!h) return false;
        compile = reinterpret_cast<decltype(compile)>(dlsym(h, "pcre2_compile_16"));
        jit = reinterpret_cast<decltype(jit)>(dlsym(h, "pcre2_jit_compile_16"));
        match = reinterpret_cast<decltype(match)>(dlsym(h, "pcre2_match_16"));
        md_create = reinterpret_cast<decltype(md_create)>(dlsym(h, "pcre2_match_data_create_from_pattern_16"));
        md_free = reinterpret_cast<decltype(md_free)>(dlsym(h, "pcre2_match_data_free_16"));
        code_free = reinterpret_cast<decltype(code_free)>(dlsym(h, "pcre2_code_free_16"));
        ovector = reinterpret_cast<decltype(ovector)>(dlsym(h, "pcre2_get_ovector_pointer_16"));
        return compile && jit && match && md_create && md_free && code_free && ovector;
    }
};

Engine pcre2_engine(Pcre2Api* api, bool use_jit) {
    struct State {
        Pcre2Api* a;
        bool jit;
        pcre2_code_16* code = nullptr;
        pcre2_match_data_16* md = nullptr;
    };
    auto* st = new State{api, use_jit};
    Engine e(use_jit ? "pcre2-jit" : "pcre2");
    e.compile = [st](const std::u16string& pat, bool icase) {
        int err;
        PCRE2_SIZE off;
        st->code = st->a->compile(reinterpret_cast<PCRE2_SPTR16>(pat.data()), pat.size(),
                                  PCRE2_UTF | (icase ? PCRE2_CASELESS : 0), &err, &off, nullptr);
        if (!st->code) return false;
        if (st->jit && st->a->jit(st->code, PCRE2_JIT_COMPLETE) != 0) return false;
        st->md = st->a->md_create(st->code, nullptr);
        return true;
    };
    auto find = [st](const std::u16string& t, size_t from, size_t* s, size_t* e) {
        int r = st->a->match(st->code, reinterpret_cast<PCRE2_SPTR16>(t.data()), t.size(), from, PCRE2_NO_UTF_CHECK,
                             st->md, nullptr);
        if (r == PCRE2_ERROR_NOMATCH) return 0;
        if (r < 0) return -1;
        PCRE2_SIZE* ov = st->a->ovector(st->md);
        *s = ov[0];
        *e = ov[1];
        return 1;
    };
    e.count = [find](const std::u16string& t) { return count_all(t, find); };
    e.backward = [find](const std::vector<std::u16string>& lines) { return count_lines_backward(lines, find); };
    e.release = [st] {
        st->a->md_free(st->md);
        st->a->code_free(st->code);
        st->md = nullptr;
        st->code = nullptr;
    };
    return e;
}
#endif

// std::regex on wchar_t (UTF-32 here), run on a prefix of the text.
Engine std_engine() {
    static std::wregex* rx = nullptr;
    Engine e("std-regex");
    e.text_fraction = 0.02;
    auto widen = [](const std::u16string& s) {
        std::wstring w;
        for (size_t i = 0; i < s.size(); ++i) {
            char32_t c = s[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size()) {
                c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
                ++i;
            }
            w += wchar_t(c);
        }
        return w;
    };
    e.compile = [widen](const std::u16string& pat, bool icase) {
        try {
            auto f = std::regex_constants::ECMAScript | (icase ? std::regex_constants::icase : std::regex_constants::ECMAScript);
            rx = new std::wregex(widen(pat), f);
        } catch (...) {
            return false;
        }
        return true;
    };
    e.count = [widen](const std::u16string& t) {
        std::wstring w = widen(t);
        long n = 0;
        for (auto it = std::wsregex_iterator(w.begin(), w.end(), *rx); it != std::wsregex_iterator(); ++it) ++n;
        return n;
    };
    e.backward = [widen](const std::vector<std::u16string>& lines) {
        long found = 0;
        for (size_t l = lines.size(); l-- > 0;) {
            std::wstring w = widen(lines[l]);
            found += std::regex_search(w, *rx) ? 1 : 0;
        }
        return found;
    };
    e.release = [] {
        delete rx;
        rx = nullptr;
    };
    return e;
}

// ---------------------------------------------------------------------------
// Long lines that a backtracking engine can make quadratic (or worse): one
// failing search of one line of 10k, 100k and 1M characters, the median of
// interleaved runs per engine, and how the time grows from 10k to 1M
// (linear is 100). A size is skipped for an engine whose growth so far
// (quadratic after the first size) projects it past three seconds.

struct LongLineCase {
    const char* name;
    const char16_t* pattern;
    const char16_t* unit;  // the line repeats it
    const char16_t* tail;  // and ends with this
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void run_long_lines(std::vector<Engine*> engines, const std::vector<std::string>& only) {
    const LongLineCase cases[] = {
        {"dot-star-x", u".*x", u"abcdefghij", u""},
        {"dot-star-capture-x", u"(.*)x", u"abcdefghij", u""},
        {"dot-plus-x", u".+x", u"abcdefghij", u""},
        {"dot-star-x-digit", u".*x[0-9]", u"abxcdxefx ", u""},
        {"spaces-before-end", u"\\s+$", u" ", u"a"},
        {"word-then-equals", u"(\\w+)\\s*=", u"abcdefghij", u""},
        {"comma-chain", u"[^,]*,[^,]*,[^,]*;", u"abcdefghij", u""},
        {"a-or-aa-star-b", u"(a|aa)*b", u"a", u""},
        // the "b" ends the line: one try takes a choice point a character
        {"a-or-aa-star-b-at-end", u"(a|aa)*b", u"a", u"b"},
        // the required "=" stands at the line's end: every start is tried
        {"word-then-equals-at-end", u"(\\w+)\\s*=", u"abcdefghij", u"="},
    };
    const size_t sizes[] = {10000, 100000, 1000000};
    for (const LongLineCase& c : cases) {
        if (!only.empty() && std::find(only.begin(), only.end(), c.name) == only.end()) continue;
        std::vector<std::vector<double>> ms(engines.size(), std::vector<double>(3, -1));
        std::vector<int> gave_up_at(engines.size(), -1);  // the first size where the engine gave up
        for (int si = 0; si < 3; ++si) {
            std::u16string line;
            while (line.size() < sizes[si]) line += c.unit;
            line.resize(sizes[si]);
            line += c.tail;
            std::vector<std::vector<double>> runs(engines.size());
            std::vector<bool> active(engines.size());
            std::vector<long> hits(engines.size(), -1);  // matches found by a run that did not give up
            for (size_t e = 0; e < engines.size(); ++e) {
                // Ten times the line: expect the growth seen so far, or
                // quadratic growth after the first size.
                double projected = 0;
                if (si > 0) {
                    const double prev = ms[e][si - 1];
                    const double growth = si == 1 ? 100 : std::max(10.0, prev / std::max(ms[e][si - 2], 1e-6));
                    projected = prev < 0 ? 1e30 : prev * growth;
                }
                active[e] = projected < 3000 && engines[e]->compile(c.pattern, false);
            }
            auto until = Clock::now() + std::chrono::milliseconds(300);
            for (int round = 0; round < 3 || (round < 201 && Clock::now() < until); ++round) {
                for (size_t e = 0; e < engines.size(); ++e) {
                    if (!active[e]) continue;
                    // A sample searches the line often enough to take about as
                    // long as one search of the longest line.
                    const int reps = int(sizes[2] / sizes[si]);
                    long n = 0;
                    auto t0 = Clock::now();
                    for (int k = 0; k < reps; ++k) {
                        const long found = engines[e]->count(line);
                        if (found >= 0) hits[e] = found;
                        n = std::min(n, found);
                    }
                    runs[e].push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / reps);
                    if (n < 0 && gave_up_at[e] < 0) gave_up_at[e] = si;
                    if (runs[e].back() > 1000) active[e] = false;  // one run is enough
                }
            }
            for (size_t e = 0; e < engines.size(); ++e) {
                if (runs[e].empty()) continue;
                engines[e]->release();
                ms[e][si] = median(runs[e]);
            }
            for (size_t e = 1; e < engines.size(); ++e) {
                if (ms[0][si] < 0 || ms[e][si] < 0) continue;
                std::printf("bench: %s-%zuk ours=%.3fms %s=%.3fms ratio=%.2f\n", c.name, sizes[si] / 1000, ms[0][si],
                            engines[e]->name, ms[e][si], ms[0][si] / ms[e][si]);
                if (hits[0] >= 0 && hits[e] >= 0 && hits[0] != hits[e])
                    std::printf("# %s-%zuk: match counts differ: ours %ld, %s %ld\n", c.name, sizes[si] / 1000, hits[0],
                                engines[e]->name, hits[e]);
            }
            std::fflush(stdout);
        }
        std::printf("# %s growth 1M/10k (linear 100):", c.name);
        for (size_t e = 0; e < engines.size(); ++e) {
            if (gave_up_at[e] >= 0)
                std::printf(" %s=gave-up-at-%zuk", engines[e]->name, sizes[gave_up_at[e]] / 1000);
            else if (ms[e][0] > 0 && ms[e][2] >= 0)
                std::printf(" %s=%.0f", engines[e]->name, ms[e][2] / ms[e][0]);
            else
                std::printf(" %s=skipped", engines[e]->name);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
}

struct Case {
    const char* name;
    std::u16string pattern;      // for us (and every peer unless given below)
    std::u16string peer_pattern;  // the same search in the peers' language
    bool icase;
    bool long_lines;
    bool backward;
};

}  // namespace

int main(int argc, char** argv) {
    const bool only_long_lines = argc > 1 && std::strcmp(argv[1], "--long-lines") == 0;
    std::vector<Engine> peers;
#ifdef HAVE_ONIG
    static OnigApi onig;
    if (onig.load()) peers.push_back(onig_engine(&onig));
    else std::fprintf(stderr, "bench: Oniguruma not found (libonig5)\n");
#endif
#ifdef HAVE_PCRE2
    static Pcre2Api pcre;
    if (pcre.load()) {
        peers.push_back(pcre2_engine(&pcre, false));
        peers.push_back(pcre2_engine(&pcre, true));
    } else {
        std::fprintf(stderr, "bench: PCRE2 16-bit not found (libpcre2-16-0)\n");
    }
#endif
    peers.push_back(std_engine());
    Engine ours = ours_engine();

    std::vector<Engine*> line_engines{&ours};
    for (Engine& p : peers)
        if (p.text_fraction == 1.0) line_engines.push_back(&p);
    if (only_long_lines) {
        run_long_lines(line_engines, std::vector<std::string>(argv + 2, argv + argc));
        return 0;
    }

    std::u16string text = load_text(argc, argv);
    if (text.size() < 1000) {
        std::fprintf(stderr, "bench: no input (install manpages-ja or give a UTF-16LE file)\n");
        return 1;
    }
    // Long lines: every 40 lines joined into one.
    std::u16string long_text = text;
    {
        int k = 0;
        for (auto& c : long_text)
            if (c == u'\n' && ++k % 40 != 0) c = u' ';
    }
    std::vector<std::u16string> lines = split_lines(text);

    const Case cases[] = {
        {"ascii-literal", u"directory", u"", false, false, false},
        {"kanji-literal", u"環境変数", u"", false, false, false},
        {"icase-word", u"linux", u"", true, false, false},
        {"iwidth-literal", u"(?w)file", u"[fｆ][iｉ][lｌ][eｅ]", false, false, false},
        {"hiragana-run", u"[ぁ-ん]+", u"", false, false, false},
        {"alternation-5", u"ファイル|ディレクトリ|オプション|コマンド|プロセス", u"", false, false, false},
        {"dot-star-long-lines", u"foo.*bar", u"", false, true, false},
        {"backward-literal", u"ファイル", u"", false, false, true},
    };

    std::printf("# input: %zu UTF-16 units, %zu lines\n", text.size(), lines.size());
    for (const Case& c : cases) {
        const std::u16string& t = c.long_lines ? long_text : text;
        auto run_engine = [&](Engine& e, const std::u16string& pat, double fraction, long* count) -> double {
            if (!e.compile(pat, c.icase)) return -1;
            double mbs;
            if (c.backward) {
                size_t n = size_t(double(lines.size()) * fraction);
                std::vector<std::u16string> part(lines.end() - long(n), lines.end());
                size_t units = 0;
                for (auto& l : part) units += l.size() + 1;
                mbs = measure(units, [&] { return e.backward(part); }, count);
            } else {
                std::u16string part = t.substr(0, size_t(double(t.size()) * fraction));
                mbs = measure(part.size(), [&] { return e.count(part); }, count);
            }
            e.release();
            return mbs;
        };
        long ours_count = 0;
        double ours_mbs = run_engine(ours, c.pattern, 1.0, &ours_count);
        for (Engine& p : peers) {
            // The peers' count on a prefix is checked only against the full text.
            long peer_count = 0;
            const std::u16string& pat = c.peer_pattern.empty() ? c.pattern : c.peer_pattern;
            double peer_mbs = run_engine(p, pat, p.text_fraction, &peer_count);
            if (peer_mbs < 0) {
                std::printf("# %s: %s cannot compile the pattern\n", c.name, p.name);
                continue;
            }
            std::printf("bench: %s ours=%.1fMB/s %s=%.1fMB/s ratio=%.2f\n", c.name, ours_mbs, p.name, peer_mbs,
                        ours_mbs / peer_mbs);
            if (p.text_fraction == 1.0 && peer_count != ours_count)
                std::printf("# %s: match counts differ: ours %ld, %s %ld\n", c.name, ours_count, p.name, peer_count);
        }
        std::fflush(stdout);
    }
    run_long_lines(line_engines, {});
    return 0;
}
