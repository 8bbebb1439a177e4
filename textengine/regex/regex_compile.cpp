// Compiling: four passes over the parsed graph, then the search strategy.
#include <cstring>
#include <new>
#include <vector>

#include "textengine/regex/regex_internal.h"

namespace {

// Every node reachable from the root and from the groups' opening nodes.
std::vector<RegexNode*> collect_nodes(RegexProgram* prog) {
    std::vector<RegexNode*> all;
    std::vector<RegexNode*> todo;
    auto push = [&](RegexNode* n) {
        if (n && !(n->marks & MARK_VISIT)) {
            n->marks |= MARK_VISIT;
            todo.push_back(n);
        }
    };
    push(prog->root);
    for (int g = 0; g < prog->group_count; ++g) push(prog->group_open[g]);
    while (!todo.empty()) {
        RegexNode* n = todo.back();
        todo.pop_back();
        all.push_back(n);
        push(n->next);
        push(n->alt);
        push(n->sub);
    }
    for (RegexNode* n : all) n->marks &= uint8_t(~MARK_VISIT);
    return all;
}

// Pass 1: empty nodes without alt are stepped over.
RegexNode* skip_empty(RegexNode* n) {
    for (int guard = 0; n && n->kind == RN_EMPTY && !n->alt && guard < 1000000; ++guard) n = n->next;
    return n;
}

void pass_empty(RegexProgram* prog, std::vector<RegexNode*>& all) {
    prog->root = skip_empty(prog->root);
    for (RegexNode* n : all) {
        n->next = skip_empty(n->next);
        n->alt = skip_empty(n->alt);
        // A lookaround's `sub` names its end node and a condition's `sub` a
        // condition node: neither is ever empty.
    }
}

// Pass 2: a branch whose two ways start with the same literal matches it
// first and branches after it.
bool same_char(const RegexNode* a, const RegexNode* b) {
    return a && b && a->kind == RN_CHAR && b->kind == RN_CHAR && a->value == b->value && a->aux == b->aux;
}

int pass_common_first(RegexProgram* prog, std::vector<RegexNode*>& all) {
    size_t count = all.size();
    for (size_t i = 0; i < count; ++i) {
        RegexNode* b = all[i];
        if (b->kind != RN_BRANCH || !same_char(b->next, b->alt) || b->first_table) continue;
        RegexNode* nb = regex_new_node(prog, RN_BRANCH);
        if (!nb) return 1;
        nb->value = '|';
        nb->next = b->next->next;
        nb->alt = b->alt->next;
        nb->choice = b->choice;
        b->kind = RN_CHAR;
        b->value = b->next->value;
        b->aux = b->next->aux;
        b->choice = 0;
        b->alt = nullptr;
        b->next = nb;
        all.push_back(nb);
        // The new branch may itself have a common first literal.
        ++count;
    }
    return 0;
}

// Pass 3: first-character tables for branches.
struct FirstCollect {
    uint8_t table[32];
    int atoms = 0;
    bool ok = true;
};

void table_set(uint8_t* t, int c, int way_bit) { t[c >> 2] |= uint8_t(way_bit << ((c & 3) * 2)); }

void collect_first(RegexNode* n, FirstCollect& fc, int way_bit, int depth) {
    if (!fc.ok) return;
    if (depth > 64) {
        fc.ok = false;
        return;
    }
    while (n && (n->kind == RN_EMPTY || n->kind == RN_OPEN || n->kind == RN_CLOSE || n->kind == RN_ATOMIC) &&
           !(n->kind == RN_EMPTY && n->alt)) {
        n = n->next;
    }
    if (!n) {
        fc.ok = false;
        return;
    }
    if (n->kind == RN_BRANCH || n->kind == RN_EMPTY) {
        if (n->marks & MARK_COLLECT) {  // a loop back: the way can start anywhere
            fc.ok = false;
            return;
        }
        n->marks |= MARK_COLLECT;
        collect_first(n->next, fc, way_bit, depth + 1);
        collect_first(n->alt, fc, way_bit, depth + 1);
        n->marks &= uint8_t(~MARK_COLLECT);
        return;
    }
    if (++fc.atoms > 20) {
        fc.ok = false;
        return;
    }
    if (n->kind == RN_CHAR && n->value < 128) {
        table_set(fc.table, n->value, way_bit);
        if ((n->aux & REGEX_FOLD_CASE) && n->value >= 'a' && n->value <= 'z')
            table_set(fc.table, n->value - 32, way_bit);
        return;
    }
    if (n->kind == RN_STRING && n->value > 0 && n->str[0] < 128) {
        int32_t c = n->str[0];
        table_set(fc.table, c, way_bit);
        if ((n->aux & REGEX_FOLD_CASE) && c >= 'a' && c <= 'z') table_set(fc.table, c - 32, way_bit);
        return;
    }
    if (n->kind == RN_CLASS && n->cls->flags == 0 && n->cls->range_count == 0 && n->cls->single_count == 0) {
        for (int c = 1; c < 128; ++c)
            if (regex_class_bit(n->cls, c)) table_set(fc.table, c, way_bit);
        return;
    }
    fc.ok = false;
}

int pass_first_tables(RegexProgram* prog, std::vector<RegexNode*>& all) {
    if (all.size() >= 2040) return 0;
    int done = 0;
    for (RegexNode* b : all) {
        if (b->kind != RN_BRANCH) continue;
        if (++done > 30) break;
        FirstCollect fc;
        std::memset(fc.table, 0, sizeof fc.table);
        b->marks |= MARK_COLLECT;
        collect_first(b->next, fc, 1, 0);
        collect_first(b->alt, fc, 2, 0);
        b->marks &= uint8_t(~MARK_COLLECT);
        if (!fc.ok) continue;
        auto* t = static_cast<uint8_t*>(regex_arena_alloc(&prog->arena, 32));
        if (!t) return 1;
        std::memcpy(t, fc.table, 32);
        b->first_table = t;
    }
    return 0;
}

// Pass 4: runs of literals become strings. Only the run's first node
// changes, so edges into the middle of a run (loops) stay valid.
int pass_strings(RegexProgram* prog, std::vector<RegexNode*>& all) {
    std::vector<int32_t> cps;
    for (RegexNode* n : all) {
        // A node inside a run already taken starts no run of its own (that
        // would make long chains quadratic); edges into it still work.
        if (n->kind != RN_CHAR || n->value == '\n' || (n->marks & MARK_IN_RUN)) continue;
        cps.clear();
        cps.push_back(n->value);
        n->marks |= MARK_IN_RUN;
        RegexNode* m = n->next;
        while (m && m->kind == RN_CHAR && m->aux == n->aux && m->value != '\n' && !(m->marks & MARK_IN_RUN)) {
            m->marks |= MARK_IN_RUN;
            cps.push_back(m->value);
            m = m->next;
        }
        if (cps.size() < 2) continue;
        auto* str = static_cast<int32_t*>(regex_arena_alloc(&prog->arena, cps.size() * sizeof(int32_t)));
        if (!str) return 1;
        std::memcpy(str, cps.data(), cps.size() * sizeof(int32_t));
        n->kind = RN_STRING;
        n->str = str;
        n->value = int32_t(cps.size());
        n->next = m;
    }
    for (RegexNode* n : all) n->marks &= uint8_t(~MARK_IN_RUN);
    return 0;
}

// A loop over one single-character atom is marked so the matcher runs it
// without a frame per round.
bool single_char_atom(const RegexNode* n) {
    return n && (n->kind == RN_CHAR || n->kind == RN_ANY || n->kind == RN_ANY_ALL || n->kind == RN_CLASS) &&
           !n->alt;
}

void mark_stars(std::vector<RegexNode*>& all) {
    for (RegexNode* r : all)
        if (r->kind == RN_RECURSE && r->next && r->next->kind == RN_PROGRESS) r->next->marks |= MARK_AFTER_RECURSE;
    for (RegexNode* b : all) {
        if (b->kind != RN_BRANCH || (b->value != '*' && b->value != '+')) continue;
        bool loop_alt;
        if (single_char_atom(b->next) && b->next->next == b && b->alt != b->next)
            loop_alt = false;
        else if (single_char_atom(b->alt) && b->alt->next == b && b->next != b->alt)
            loop_alt = true;
        else
            continue;
        int preferred_alt = b->choice == 1;
        b->marks |= MARK_STAR;
        if (loop_alt) b->marks |= MARK_STAR_ALT;
        if (preferred_alt != int(loop_alt)) b->marks |= MARK_STAR_LAZY;
    }
}

// A pattern that is one greedy loop over one single-character atom, with
// nothing after it and no group, is matched by a plain loop.
void plan_run(CompiledRegex* re) {
    RegexNode* b = re->prog.root;
    const RegexNode* first = nullptr;  // the atom taken once before the loop ("x+")
    if (!b || re->prog.group_count != 0) return;
    if (single_char_atom(b) && b->next && b->next->kind == RN_BRANCH) {
        first = b;
        b = b->next;
    }
    if (b->kind != RN_BRANCH || !(b->marks & MARK_STAR) || (b->marks & MARK_STAR_LAZY)) return;
    const bool loop_alt = (b->marks & MARK_STAR_ALT) != 0;
    const RegexNode* atom = loop_alt ? b->alt : b->next;
    const RegexNode* exit = loop_alt ? b->next : b->alt;
    if (exit || (first && first != atom)) return;
    re->run_atom = atom;
    re->run_min = first ? 1 : 0;
}

// Decides whether a state's outcome depends on its node and position alone
// and, where it does and the graph has branches, gives each branch its row
// in the record of failed states. Progress checks look down the stack, so
// with them the record is not kept (they make no difference to dots first).
int plan_memo(CompiledRegex* re) {
    std::vector<RegexNode*> all = collect_nodes(&re->prog);
    bool progress = false;
    int branches = 0;
    re->position_decides = true;
    for (RegexNode* n : all) {
        switch (n->kind) {
        case RN_BACKREF: case RN_NAMED_BACKREF: case RN_COND: case RN_RECURSE:
            re->position_decides = false;
            break;
        case RN_PROGRESS:
            progress = true;
            break;
        case RN_BRANCH:
            n->memo_slot = branches++;
            break;
        }
    }
    if (!re->position_decides || progress || branches == 0) return 0;
    re->memo = new (std::nothrow) RegexMemo;
    if (!re->memo) return 1;
    re->memo->slots = branches;
    return 0;
}

}  // namespace

namespace {

// Parses (the pattern language, or a plain text taken literally), runs the
// passes and picks the strategy.
CompiledRegex* compile(const char16_t* pattern, int length, int flags, bool literal, int* error) {
    *error = REGEX_COMPILE_NO_MEMORY;
    auto* re = new (std::nothrow) CompiledRegex;
    if (!re) return nullptr;
    for (auto& g : re->last_groups) g = {-1, -1, -1, -1, -1};
    int rc = literal ? regex_parse_literal(&re->prog, pattern, length, flags)
                     : regex_parse(&re->prog, pattern, length, flags);
    if (rc != 0) {
        *error = literal ? (re->prog.serial >= REGEX_MAX_NODES ? REGEX_COMPILE_TOO_LARGE : REGEX_COMPILE_NO_MEMORY)
                         : rc;
        regex_free(re);
        return nullptr;
    }
    if (rc == 0 && literal && length == 0) {
        // An empty search text never matches: a class with no member.
        RegexNode* node = regex_new_node(&re->prog, RN_CLASS);
        auto* cls = static_cast<RegexCharClass*>(regex_arena_alloc(&re->prog.arena, sizeof(RegexCharClass)));
        if (!node || !cls) {
            rc = 1;
        } else {
            node->cls = cls;
            re->prog.root = node;
        }
    }
    if (rc == 0) {
        std::vector<RegexNode*> all = collect_nodes(&re->prog);
        pass_empty(&re->prog, all);
        all = collect_nodes(&re->prog);
        rc = pass_common_first(&re->prog, all);
        if (rc == 0) rc = pass_first_tables(&re->prog, all);
        if (rc == 0) rc = pass_strings(&re->prog, all);
        if (rc == 0) {
            mark_stars(all);
            plan_run(re);
            rc = plan_memo(re);
        }
        if (rc == 0) rc = regex_plan_required(re, all);
        if (rc == 0) rc = regex_choose_strategy(re, pattern, length);
    }
    // A start position may cost a few backtracks per node without adding up
    // to a give-up on a long line.
    re->budget_per_try = 64 + re->prog.serial;
    if (rc == 0 && re->prog.root) {
        re->frames = new (std::nothrow) RegexFrame[REGEX_INITIAL_FRAMES];
        if (!re->frames) rc = 1;
        re->frame_capacity = REGEX_INITIAL_FRAMES;
    }
    if (rc != 0) {  // the passes ran out of memory
        regex_free(re);
        return nullptr;
    }
    *error = REGEX_COMPILE_OK;
    return re;
}

}  // namespace

CompiledRegex* regex_compile_checked(const char16_t* pattern, int length, int flags, int* error) {
    int ignored;
    if (!error) error = &ignored;
    *error = REGEX_COMPILE_INVALID;
    if (!pattern) return nullptr;
    if (length < 0) {
        length = 0;
        while (pattern[length]) ++length;
    }
    return compile(pattern, length, flags, false, error);
}

CompiledRegex* regex_compile_n(const char16_t* pattern, int length, int flags) {
    return regex_compile_checked(pattern, length, flags, nullptr);
}

const char16_t* regex_compile_error_text(int error) {
    switch (error) {
    case REGEX_COMPILE_OK: return u"";
    case REGEX_COMPILE_BAD_RANGE: return u"繰り返しの最大回数が最小回数より小さい正規表現です";
    case REGEX_COMPILE_NO_GROUP: return u"正規表現が存在しないグループ番号を参照しています";
    case REGEX_COMPILE_NO_NAME: return u"正規表現が存在しないグループ名を参照しています";
    case REGEX_COMPILE_UNKNOWN_CLASS: return u"正規表現に不明な文字クラス名があります";
    case REGEX_COMPILE_TOO_LARGE: return u"正規表現が大きすぎます";
    case REGEX_COMPILE_NO_MEMORY: return u"正規表現を作るメモリが足りません";
    }
    return u"不正な正規表現です";
}

CompiledRegex* regex_compile(const char16_t* pattern, int flags) { return regex_compile_n(pattern, -1, flags); }

CompiledRegex* regex_compile_literal(const char16_t* text, int flags) {
    if (!text) return nullptr;
    int n = 0;
    while (text[n]) ++n;
    // Under ignore-width the text becomes literal nodes, never pattern
    // language, so "\E" or any other sequence in it stays literal.
    int error;
    if (flags & REGEX_COMPILE_IWIDTH) return compile(text, n, flags, true, &error);
    auto* re = new (std::nothrow) CompiledRegex;
    if (!re) return nullptr;
    for (auto& g : re->last_groups) g = {-1, -1, -1, -1, -1};
    re->strategy = REGEX_STRATEGY_LITERAL;
    re->search = regex_strategy_literal;
    re->graph_dropped = true;
    if (n > 0) {
        re->literal = literal_searcher_new(text, n, (flags & REGEX_COMPILE_ICASE) != 0);
        if (!re->literal) {
            regex_free(re);
            return nullptr;
        }
    }
    return re;
}

void regex_free(CompiledRegex* re) {
    if (!re) return;
    literal_searcher_free(re->literal);
    delete re->first_set;
    delete re->required;
    regex_memo_free(re->memo);
    delete[] re->frames;
    regex_program_free(&re->prog);
    delete re;
}
