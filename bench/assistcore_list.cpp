// The completion list as the user types: opening it on the first letter of a
// word (the keyword table's candidates, the list shown over them) and then
// narrowing it one typed letter at a time, over the largest shipped keyword
// file and over a synthetic table of 20,000 keywords. The peer is a plain
// prefix search of the same table held as a sorted vector of lower-cased
// strings, collecting the matches, once per opening and once per keystroke.
// Times are per operation: the median of interleaved rounds, both sides
// warmed up the same way. Drawing the list is not part of either side.
//
// usage: bench_assistcore_list [data folder]   (default: the source tree's data/)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "assist/core/code_assist_data.h"
#include "assist/core/code_assist_list.h"
#include "editctrl/syntax/strtoken.h"
#include "editctrl/syntax/syntax_files.h"

namespace {

using Clock = std::chrono::steady_clock;

std::u16string Lower(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
    return out;
}

// The peer: the table lower-cased and sorted once; a search finds the first
// entry not below the prefix and collects the entries starting with it.
class SortedVectorSearch {
public:
    explicit SortedVectorSearch(const std::vector<std::u16string>& words) {
        for (const auto& w : words) m_words.push_back(Lower(w));
        std::sort(m_words.begin(), m_words.end());
    }
    std::size_t Search(std::u16string_view prefix) {
        const std::u16string p = Lower(prefix);
        m_found.clear();
        for (auto it = std::lower_bound(m_words.begin(), m_words.end(), p);
             it != m_words.end() && it->compare(0, p.size(), p) == 0; ++it)
            m_found.push_back(&*it);
        return m_found.size();
    }

private:
    std::vector<std::u16string> m_words;
    std::vector<const std::u16string*> m_found;
};

// What the editor does: opening fills the candidates from the keyword table
// and shows them; each keystroke refilters by the word typed so far.
struct Ours {
    const CStrToken& tokens;
    CCodeAssistData source;
    CCodeAssistList list;
    explicit Ours(const CStrToken& t) : tokens(t) {}
    std::size_t Open(std::u16string_view prefix) {
        source.FillFromKeywords(tokens, prefix);
        list.SetSourceData(&source);
        list.ClearCurrentRow();
        return std::size_t(source.GetRowCount());
    }
    std::size_t Narrow(std::u16string_view word) {
        list.FilterByPrefix(word);
        return std::size_t(list.CurrentRow() + 1);
    }
};

struct Timing {
    double open = 0;    // µs per opening
    double narrow = 0;  // µs per keystroke
};

constexpr int kOpenLength = 1;
constexpr int kKeystrokes = 3;

// One round over every target word: open on its first letter, narrow by the
// next kKeystrokes letters. sink keeps the work from being dropped.
template <class Side>
Timing Round(Side& side, const std::vector<std::u16string>& targets, std::size_t& sink) {
    double openUs = 0, narrowUs = 0;
    int narrows = 0;
    for (const auto& t : targets) {
        const auto t0 = Clock::now();
        sink += side.Open(std::u16string_view(t).substr(0, kOpenLength));
        const auto t1 = Clock::now();
        for (int k = 1; k <= kKeystrokes; ++k) sink += side.Narrow(std::u16string_view(t).substr(0, kOpenLength + k));
        const auto t2 = Clock::now();
        openUs += std::chrono::duration<double, std::micro>(t1 - t0).count();
        narrowUs += std::chrono::duration<double, std::micro>(t2 - t1).count();
        narrows += kKeystrokes;
    }
    return {openUs / double(targets.size()), narrowUs / double(narrows)};
}

struct PeerSide {
    SortedVectorSearch& search;
    std::size_t Open(std::u16string_view p) { return search.Search(p); }
    std::size_t Narrow(std::u16string_view p) { return search.Search(p); }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Run(const char* name, const CStrToken& tokens, const std::vector<std::u16string>& words,
         const std::vector<std::u16string>& targets) {
    Ours ours(tokens);
    SortedVectorSearch search(words);
    PeerSide peer{search};
    std::size_t sink = 0;
    Round(ours, targets, sink);  // warm-up, both sides alike
    Round(peer, targets, sink);
    std::vector<double> oursOpen, oursNarrow, peerOpen, peerNarrow;
    for (int r = 0; r < 21; ++r) {
        const Timing o = Round(ours, targets, sink);
        const Timing p = Round(peer, targets, sink);
        oursOpen.push_back(o.open);
        oursNarrow.push_back(o.narrow);
        peerOpen.push_back(p.open);
        peerNarrow.push_back(p.narrow);
    }
    const double oo = Median(oursOpen), po = Median(peerOpen);
    const double on = Median(oursNarrow), pn = Median(peerNarrow);
    std::printf("bench: assist_open_%s ours=%.2fus sorted_vector=%.2fus ratio=%.2f\n", name, oo, po, oo / po);
    std::printf("bench: assist_keystroke_%s ours=%.2fus sorted_vector=%.2fus ratio=%.2f\n", name, on, pn, on / pn);
    if (sink == 0) std::fprintf(stderr, "bench: nothing found\n");
}

std::vector<std::u16string> KeywordTexts(const CStrToken& tokens) {
    std::vector<std::u16string> out;
    for (const auto& k : tokens.Keywords()) out.emplace_back(k.text());
    return out;
}

// Targets: the words long enough to open and narrow on.
std::vector<std::u16string> Targets(const std::vector<std::u16string>& words, std::size_t step) {
    std::vector<std::u16string> out;
    for (std::size_t i = 0; i < words.size(); i += step)
        if (words[i].size() >= std::size_t(kOpenLength + kKeystrokes)) out.push_back(words[i]);
    return out;
}

std::u16string DefaultDataDir() {
    const std::string dir = WENDREL_DATA_DIR;
    return std::u16string(dir.begin(), dir.end());
}

}  // namespace

int main(int argc, char** argv) {
    std::u16string dataDir = DefaultDataDir();
    if (argc > 1) dataDir.assign(argv[1], argv[1] + std::char_traits<char>::length(argv[1]));

    // The largest shipped keyword file is the HTML one.
    // (read as the HTML mode reads it: keywords matched ignoring case).
    CStrToken html;
    html.SetKeywordNocase(true);
    std::u16string ignored;
    html.initDefaultKeyword(dataDir + u"/html.txt", ignored);
    const std::vector<std::u16string> htmlWords = KeywordTexts(html);
    if (htmlWords.size() < 100) {
        std::fprintf(stderr, "bench: the HTML keyword file was not found under the data folder\n");
        return 1;
    }
    Run("html_keywords", html, htmlWords, Targets(htmlWords, 1));

    // 20,000 distinct words of 4 to 12 letters, as a keyword file would hold them.
    std::set<std::u16string> made;
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    while (made.size() < 20000) {
        std::u16string w;
        const int len = 4 + int(next() % 9);
        for (int k = 0; k < len; ++k) w += char16_t(u'a' + next() % 26);
        made.insert(w);
    }
    const std::vector<std::u16string> words(made.begin(), made.end());
    TextLines lines;
    for (const auto& w : words) lines.Add(w);
    CStrToken synthetic;
    std::u16string message;
    if (synthetic.SetKeywordLines(lines, message) != 0) {
        std::fprintf(stderr, "bench: the synthetic keyword table did not load\n");
        return 1;
    }
    Run("synthetic_20000", synthetic, words, Targets(words, 97));
    return 0;
}
