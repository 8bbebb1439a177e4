// wdev grep: runs sulki's search worker and prints what sulki writes into
// its result list, in the same order: the "searching" line, one line per
// hit or unreadable file or folder, then the closing message. An invalid
// pattern or mask list (an error box in sulki) goes to stderr.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "grep/engine/grep_engine.h"
#ifdef _WIN32
#include "grep/winfs/grep_folder_win.h"
#endif
#include "textengine/bytestream.h"
#include "textengine/kanjicode.h"
#include "textengine/kanjicodec.h"
#include "wdev_command.h"

namespace {

// Lines are encoded straight into one large block that is written out when
// full: no copy into stdio's buffer and no stream lock per line.
class StdoutView : public GrepOutput {
public:
    ~StdoutView() override { Flush(); }

    void Append(const std::u16string& text) override {
        const std::size_t room = text.size() * CKanjiEncoder::kMaxBytesPerUnit + 16;
        if (used_ + room > block_.size()) {
            Flush();
            if (room > block_.size()) block_.resize(room);
        }
        auto* out = reinterpret_cast<uint8_t*>(block_.data()) + used_;
        std::size_t n = encoder_.Encode(text.data(), text.size(), out);
        n += encoder_.Finish(out + n);
        used_ += n;
    }

    void Flush() {
        if (used_) std::fwrite(block_.data(), 1, used_, stdout);
        used_ = 0;
        std::fflush(stdout);
    }

private:
    CKanjiEncoder encoder_{KanjiCode::UTF8NoSig};
    std::string block_ = std::string(std::size_t(1) << 16, '\0');  // small enough to stay in the cache
    std::size_t used_ = 0;
};

int run_grep(const wdev::Args& args) {
    GrepParams params;
    std::vector<std::string> operands;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--regex") {
            params.regularExpression = true;
        } else if (a == "--icase") {
            params.distinguishCase = false;
        } else if (a == "--iwidth") {
            params.distinguishWidth = false;
        } else if (a == "--subdirs") {
            params.searchSubfolders = true;
        } else if (a == "--masks" || a == "--code") {
            if (i + 1 >= args.size()) return wdev::usage_error(a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--masks") {
                params.masks = Utf8ToUtf16(v);
            } else {
                char* end = nullptr;
                const long number = std::strtol(v.c_str(), &end, 10);
                const std::optional<KanjiCode> code =
                    number == int(number) ? KanjiCodeFromNumber(int(number)) : std::nullopt;
                if (v.empty() || *end || !code) return wdev::usage_error("--code takes an encoding number (1-3, 5-11)");
                params.encoding = *code;
            }
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            return wdev::usage_error("grep: unknown option " + a);
        } else {
            operands.push_back(a);
        }
    }
    if (operands.size() != 2) return wdev::usage_error("grep needs TEXT and FOLDER");
    params.searchText = Utf8ToUtf16(operands[0]);
#ifdef _WIN32
    params.folder = Utf8ToUtf16(operands[1]);
    params.fileSystem = &WinGrepFileSystem();
#else
    params.folder = PathFromHost(operands[1]);  // the folder's own bytes, UTF-8 or not
#endif
    // As sulki normalises the folder field: no trailing separator.
    while (params.folder.size() > 1 && (params.folder.back() == u'/' || params.folder.back() == u'\\') &&
           !(params.folder.size() == 3 && params.folder[1] == u':'))
        params.folder.pop_back();

    StdoutView view;
    params.resultView = &view;
    view.Append(u"'" + params.folder + u"' を検索中...\n");
    const int result = GrepThreadProc(params);
    if (result == GREP_BAD_PATTERN || result == GREP_BAD_MASKS) {
        view.Flush();
        const std::string text = EncodeText(KanjiCode::UTF8NoSig, params.messageText);
        std::fprintf(stderr, "%s\n", text.c_str());
        return 1;
    }
    view.Append(params.messageText);
    view.Flush();
    return result == GREP_SEARCH_FAILED ? 1 : 0;
}

wdev::Registrar reg({"grep",
                     "[--regex] [--icase] [--iwidth] [--subdirs] [--masks \"*.txt;*.c\"] [--code N] TEXT FOLDER",
                     run_grep});

}  // namespace
