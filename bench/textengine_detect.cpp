// Encoding detection accuracy against uchardet and nkf --guess over real
// Japanese text: manpages-ja pages converted into each encoding and pieces of
// skkdic's SKK-JISYO.L (EUC-JP). Build the corpus first:
//   bench/make_textengine_corpus.sh [DIR]; bench_textengine_detect [DIR]
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "textengine/kanjitextfile.h"

namespace fs = std::filesystem;

namespace {

// Families: a signature makes no difference to what was recognised.
std::string Family(KanjiCode code) {
    switch (code) {
    case KanjiCode::SJIS: return "sjis";
    case KanjiCode::EUC: return "eucjp";
    case KanjiCode::JIS: return "jis";
    case KanjiCode::Unicode:
    case KanjiCode::UnicodeNoSig: return "utf16le";
    case KanjiCode::UTF16BE:
    case KanjiCode::UTF16BENoSig: return "utf16be";
    case KanjiCode::UTF8:
    case KanjiCode::UTF8NoSig: return "utf8";
    case KanjiCode::Detect: break;
    }
    return "?";
}

std::string FamilyOfName(std::string name) {
    for (auto& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name.find("SHIFT_JIS") == 0 || name == "CP932" || name == "WINDOWS-31J") return "sjis";
    if (name.find("EUC-JP") == 0 || name == "EUCJP-MS" || name == "CP51932") return "eucjp";
    if (name.find("ISO-2022-JP") == 0) return "jis";
    if (name.find("UTF-8") == 0) return "utf8";
    if (name == "UTF-16" || name == "UTF-16LE") return "utf16le";
    if (name == "UTF-16BE") return "utf16be";
    return "?";
}

// Runs "tool args files..." in batches; each output line is "file: NAME ...".
std::map<std::string, std::string> RunTool(const std::string& tool, const std::vector<std::string>& files) {
    std::map<std::string, std::string> result;
    for (size_t at = 0; at < files.size(); at += 200) {
        std::string cmd = tool;
        for (size_t i = at; i < files.size() && i < at + 200; ++i) cmd += " '" + files[i] + "'";
        cmd += " 2>/dev/null";
        FILE* p = popen(cmd.c_str(), "r");
        if (!p) continue;
        char line[4096];
        while (std::fgets(line, sizeof line, p)) {
            std::string s(line);
            size_t colon = s.rfind(": ");
            if (colon == std::string::npos) continue;
            std::string name = s.substr(colon + 2);
            name = name.substr(0, name.find_first_of(" \r\n"));
            result[s.substr(0, colon)] = FamilyOfName(name);
        }
        pclose(p);
    }
    return result;
}

void Line(const std::string& name, double ours, const char* peer, double theirs) {
    std::printf("bench: %s ours=%.1f%% %s=%.1f%% ratio=%.3f\n", name.c_str(), ours, peer, theirs,
                theirs > 0 ? ours / theirs : ours > 0 ? 99.0 : 1.0);
}

}  // namespace

int main(int argc, char** argv) {
    fs::path root = fs::path(argc > 1 ? argv[1] : "build/bench-corpus") / "detect";
    if (!fs::is_directory(root)) {
        std::fprintf(stderr, "no corpus in %s: run bench/make_textengine_corpus.sh first\n", root.c_str());
        return 1;
    }
    const std::pair<const char*, const char*> sets[] = {{"sjis", "sjis"}, {"eucjp", "eucjp"}, {"jis", "jis"},
                                                        {"utf8", "utf8"}, {"utf16le", "utf16le"},
                                                        {"skk-eucjp", "eucjp"}};
    long total = 0, oursAll = 0, uchardetAll = 0, nkfAll = 0;
    for (const auto& [dir, truth] : sets) {
        std::vector<std::string> files;
        for (const auto& e : fs::directory_iterator(root / dir))
            if (e.is_regular_file() && e.file_size() > 0) files.push_back(e.path().string());
        if (files.empty()) continue;
        long ours = 0;
        for (const auto& f : files) {
            CKanjiTextFile file;
            std::u16string path = Utf8ToUtf16(f);
            if (file.Open(path.c_str(), "r") && Family(file.GetKanjiCode()) == truth) ++ours;
        }
        auto uchardet = RunTool("uchardet", files);
        auto nkf = RunTool("nkf --guess", files);
        long u = 0, n = 0;
        for (const auto& f : files) {
            u += uchardet[f] == truth;
            n += nkf[f] == truth;
        }
        double count = static_cast<double>(files.size());
        Line(std::string("detect_") + dir, 100.0 * ours / count, "uchardet", 100.0 * u / count);
        Line(std::string("detect_") + dir, 100.0 * ours / count, "nkf", 100.0 * n / count);
        total += static_cast<long>(files.size());
        oursAll += ours;
        uchardetAll += u;
        nkfAll += n;
    }
    if (total) {
        Line("detect_all", 100.0 * oursAll / total, "uchardet", 100.0 * uchardetAll / total);
        Line("detect_all", 100.0 * oursAll / total, "nkf", 100.0 * nkfAll / total);
    }
    return 0;
}
