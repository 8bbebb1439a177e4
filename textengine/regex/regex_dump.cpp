#include "textengine/regex/regex_dump.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

namespace {

// Joins pieces by appending (a literal + std::string trips a GCC 12 warning).
template <typename... Parts>
std::string cat(const Parts&... parts) {
    std::string s;
    (s.append(parts), ...);
    return s;
}

std::string num(int v) { return std::to_string(v); }

const RegexNode* skip_empty(const RegexNode* n) {
    while (n && n->kind == RN_EMPTY && !n->alt) n = n->next;
    return n;
}

std::string code_point(int32_t c) {
    char buf[16];
    if (c > 0x20 && c < 0x7F && c != '\'' && c != '"' && c != '\\') {
        buf[0] = char(c);
        buf[1] = 0;
    } else {
        std::snprintf(buf, sizeof buf, "U+%04X", unsigned(c));
    }
    return buf;
}

std::string fold_suffix(int flags) {
    switch (flags & 3) {
    case 1: return "/i";
    case 2: return "/w";
    case 3: return "/iw";
    }
    return "";
}

std::string name_of(const RegexNode* n) {
    std::string s;
    for (int i = 0; i < n->name_length; ++i) s += code_point(n->name[i]);
    return s;
}

class Dumper {
public:
    std::string run(const RegexNode* root) {
        count(root);
        chain(root);
        return out_;
    }

private:
    void edge(const RegexNode* n, std::vector<const RegexNode*>& stack) {
        n = skip_empty(n);
        if (n && ++indegree_[n] == 1) stack.push_back(n);
    }

    void count(const RegexNode* root) {
        std::vector<const RegexNode*> stack;
        edge(root, stack);
        while (!stack.empty()) {
            const RegexNode* n = stack.back();
            stack.pop_back();
            edge(n->next, stack);
            edge(n->alt, stack);
            if (n->kind == RN_COND) edge(n->sub, stack);
        }
    }

    void emit(const std::string& s) {
        if (!out_.empty() && out_.back() != '(' && out_.back() != ',' && s[0] != ')' && s[0] != ',' &&
            s[0] != '}')
            out_ += ' ';
        out_ += s;
    }
    void raw(const std::string& s) { out_ += s; }

    void chain(const RegexNode* n) {
        for (n = skip_empty(n); n; n = skip_empty(n->next)) {
            auto label = labels_.find(n);
            if (label != labels_.end()) {
                emit(cat("@", num(label->second)));
                return;
            }
            std::string prefix;
            if (indegree_[n] > 1) {
                int k = ++label_count_;
                labels_[n] = k;
                prefix = cat("#", num(k), ":");
            } else {
                labels_[n] = 0;  // printed; a second visit cannot happen
            }
            switch (n->kind) {
            case RN_BRANCH:
                emit(cat(prefix, std::string(1, char(n->value)), n->choice ? "?(" : "("));
                chain(n->next);
                raw(",");
                chain(n->alt);
                raw(")");
                return;
            case RN_COND:
                emit(cat(prefix, "?("));
                chain(n->sub);
                raw(")(");
                chain(n->alt);
                raw(",");
                chain(n->next);
                raw(")");
                return;
            case RN_POSSESSIVE:
                emit(cat(prefix, "{?+", num(n->value), ",", n->aux >= 0 ? num(n->aux) : ""));
                chain(n->alt);
                break;
            default:
                emit(cat(prefix, text(n)));
            }
        }
    }

    static std::string text(const RegexNode* n) {
        switch (n->kind) {
        case RN_EMPTY: return "()";
        case RN_CHAR: return cat("'", code_point(n->value), "'", fold_suffix(n->aux));
        case RN_STRING: {
            std::string s = "\"";
            for (int i = 0; i < n->value; ++i) s += code_point(n->str[i]);
            return cat(s, "\"", fold_suffix(n->aux));
        }
        case RN_ANY: return ".";
        case RN_ANY_ALL: return ".s";
        case RN_CLASS: return regex_dump_class(n->cls);
        case RN_BACKREF: return cat("\\", num(n->value + 1), fold_suffix(n->aux));
        case RN_NAMED_BACKREF: return cat("\\k<", name_of(n), ">", fold_suffix(n->aux));
        case RN_LINE_START: return "^";
        case RN_TEXT_START: return "\\A";
        case RN_LINE_END: return "$";
        case RN_TEXT_END_LF: return "\\Z";
        case RN_TEXT_END: return "\\z";
        case RN_WORD_BOUNDARY: return "\\b";
        case RN_NOT_WORD_BOUNDARY: return "\\B";
        case RN_OPEN: return cat("(", num(n->value + 1));
        case RN_CLOSE: return cat(num(n->value + 1), ")");
        case RN_PROGRESS: return "P";
        case RN_LOOKAHEAD: return "{?=";
        case RN_NEG_LOOKAHEAD: return "{?!";
        case RN_ATOMIC: return "{?>";
        case RN_LOOKBEHIND: return cat("{?<=", num(n->value));
        case RN_NEG_LOOKBEHIND: return cat("{?<!", num(n->value));
        case RN_SUB_END: return "}";
        case RN_COND_GROUP: return cat("g", num(n->value + 1));
        case RN_COND_NAME: return cat("<", name_of(n), ">");
        case RN_COND_RECURSION: return n->value ? cat("R", num(n->value)) : "R";
        case RN_HOST_TEXT_START: return "\\=A";
        case RN_HOST_TEXT_END: return "\\=z";
        case RN_HOST_LINE_START: return "\\=^";
        case RN_HOST_LINE_END: return "\\=$";
        case RN_KEEP: return "\\K";
        case RN_RECURSE: return n->value ? cat("(?", num(n->value), ")") : "(?R)";
        }
        return cat("?", num(n->kind));
    }

    std::unordered_map<const RegexNode*, int> indegree_;
    std::unordered_map<const RegexNode*, int> labels_;
    std::string out_;
    int label_count_ = 0;
};

}  // namespace

std::string regex_dump(const RegexNode* root) {
    return Dumper().run(root);
}

std::string regex_dump_class(const RegexCharClass* cc) {
    std::string s = "[";
    if (cc->flags & REGEX_CLASS_NEGATED) s += "^";
    for (int c = 0; c < 256; ++c) {
        if (!regex_class_bit(cc, c)) continue;
        int e = c;
        while (e + 1 < 256 && regex_class_bit(cc, e + 1)) ++e;
        s += code_point(c);
        if (e > c) s += cat(e > c + 1 ? "-" : "", code_point(e));
        c = e;
    }
    for (int i = 0; i < cc->single_count; ++i) s += code_point(cc->singles[i]);
    for (int i = 0; i < cc->range_count; ++i)
        s += cat(code_point(cc->ranges[i].low), "-", code_point(cc->ranges[i].high));
    if (cc->flags & REGEX_CLASS_ABOVE_255) s += "+hi";
    s += "]";
    if (cc->flags & REGEX_CLASS_WIDTH_FOLD) s += "/w";
    return s;
}
