// Loading, inserting and saving a text buffer.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "textengine/edit_data.h"
#include "textengine/file_replace.h"
#include "textengine/kanjitextfile.h"
#include "textengine/mpool.h"

namespace {

const KanjiCode kAllCodes[] = {KanjiCode::SJIS, KanjiCode::EUC, KanjiCode::JIS, KanjiCode::Unicode, KanjiCode::UnicodeNoSig, KanjiCode::UTF16BE, KanjiCode::UTF16BENoSig, KanjiCode::UTF8, KanjiCode::UTF8NoSig};

std::vector<std::u16string> Lines(const CEditData& d) {
    std::vector<std::u16string> out;
    for (int i = 0; i < d.GetLineCount(); ++i) out.emplace_back(d.GetLineText(i), d.GetLineLength(i));
    return out;
}

// Several chunks of real Japanese prose.
std::u16string Prose() {
    std::u16string text;
    for (int i = 0; i < 300; ++i) {
        text += u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。ｶﾀｶﾅ①髙\r\n";
        text += u"何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。\r\n";
    }
    return text + u"おわり";
}

std::string SaveBytes(CEditData& d, KanjiCode code, LineEndType lineEnd) {
    CMemoryStream out;
    EXPECT_TRUE(d.Save(out, code, lineEnd));
    return out.Bytes();
}

bool LoadBytes(CEditData& d, const std::string& bytes, KanjiCode& code, LineEndType& lineEnd) {
    CMemoryStream in(bytes);
    return d.Load(in, code, lineEnd);
}

TEST(EditDataFile, EveryEncodingRoundTripsThroughLoadAndSave) {
    CEditData source;
    source.InsertText(Prose().c_str(), 1);
    const auto want = Lines(source);
    for (KanjiCode code : kAllCodes) {
        for (LineEndType lineEnd : kLineEndTypes) {
            std::string bytes = SaveBytes(source, code, lineEnd);
            CEditData loaded;
            KanjiCode readCode = KanjiCode::Detect;
            LineEndType readEnd = LineEndType::CRLF;
            ASSERT_TRUE(LoadBytes(loaded, bytes, readCode, readEnd));
            // Detection finds every encoding but the signature-less UTF-16 ones.
            if (code != KanjiCode::UnicodeNoSig && code != KanjiCode::UTF16BENoSig) {
                EXPECT_EQ(readCode, code) << "code " << KanjiCodeNumber(code);
            }
            readCode = code;
            ASSERT_TRUE(LoadBytes(loaded, bytes, readCode, readEnd));
            EXPECT_EQ(readEnd, lineEnd);
            EXPECT_EQ(Lines(loaded), want) << "code " << KanjiCodeNumber(code) << " line end " << LineEndTypeNumber(lineEnd);
            EXPECT_EQ(SaveBytes(loaded, code, lineEnd), bytes) << "code " << KanjiCodeNumber(code);
            EXPECT_FALSE(loaded.IsModified());
            EXPECT_EQ(loaded.GetCaretPos().line, 0);
            EXPECT_EQ(loaded.GetUndo()->CanUndo(), false);
        }
    }
}

TEST(EditDataFile, SaveWritesExactlyTheLinesLineEnds) {
    CEditData d;
    d.InsertText(u"a\r\n", 1);
    EXPECT_EQ(SaveBytes(d, KanjiCode::SJIS, LineEndType::LF), "a\n");
    CEditData empty;
    EXPECT_EQ(SaveBytes(empty, KanjiCode::SJIS, LineEndType::CRLF), "");
    EXPECT_EQ(SaveBytes(empty, KanjiCode::Unicode, LineEndType::CRLF), "\xFF\xFE");  // an empty UTF-16 file keeps its signature
    CMemoryStream out;
    EXPECT_FALSE(d.Save(out, KanjiCode::Detect, LineEndType::CRLF));
}

TEST(EditDataFile, NulInAFileKeepsTheRestOfItsChunk) {
    CEditData d;
    KanjiCode code = KanjiCode::SJIS;
    LineEndType lineEnd = LineEndType::CRLF;
    ASSERT_TRUE(LoadBytes(d, std::string("a\0b\r\nc", 6), code, lineEnd));
    ASSERT_EQ(d.GetLineCount(), 2);
    EXPECT_EQ(Lines(d)[0], std::u16string(u"a\0b", 3));
    EXPECT_EQ(Lines(d)[1], u"c");
    EXPECT_EQ(SaveBytes(d, KanjiCode::SJIS, LineEndType::CRLF), std::string("a\0b\r\nc", 6));
}

// A stream that fails after some bytes, as a disk or network error would.
class FailingStream : public CByteStream {
public:
    explicit FailingStream(std::string bytes, size_t failAt) : m_bytes(std::move(bytes)), m_failAt(failAt) {}
    size_t Read(void* buffer, size_t n) override {
        size_t k = std::min(n, std::min(m_bytes.size(), m_failAt) - std::min(m_pos, m_failAt));
        std::memcpy(buffer, m_bytes.data() + m_pos, k);
        m_pos += k;
        if (m_pos >= m_failAt && k < n) m_failed = true;
        return k;
    }
    bool Write(const void*, size_t) override { return false; }
    bool Rewind() override {
        m_pos = 0;
        return true;
    }
    bool Failed() const override { return m_failed; }

private:
    std::string m_bytes;
    size_t m_pos = 0, m_failAt;
    bool m_failed = false;
};

TEST(EditDataFile, AFailedLoadKeepsTheTextAndItsUndo) {
    CEditData d;
    d.InsertText(u"unsaved\r\nwork", 1);
    FailingStream in(std::string(20000, 'x'), 10000);
    KanjiCode code = KanjiCode::EUC;
    LineEndType lineEnd = LineEndType::CR;
    CEditData::LoadFailure why = CEditData::LoadFailure::None;
    EXPECT_FALSE(d.Load(in, code, lineEnd, nullptr, &why));
    EXPECT_EQ(why, CEditData::LoadFailure::ReadError);
    EXPECT_EQ(Lines(d), (std::vector<std::u16string>{u"unsaved", u"work"}));
    EXPECT_TRUE(d.IsModified());
    EXPECT_TRUE(d.GetUndo()->CanUndo());
    EXPECT_EQ(code, KanjiCode::EUC);
    EXPECT_EQ(lineEnd, LineEndType::CR);
    // The same buffer still loads a good file afterwards.
    code = KanjiCode::SJIS;
    ASSERT_TRUE(LoadBytes(d, "new\r\ntext", code, lineEnd));
    EXPECT_EQ(Lines(d), (std::vector<std::u16string>{u"new", u"text"}));
    EXPECT_FALSE(d.IsModified());
}

TEST(EditDataFile, ASaveReportsWhatTheCodeCouldNotHold) {
    const std::u16string emoji = u"\U0001F600";
    struct Case {
        std::u16string text;
        KanjiCode code;
        unsigned long long replaced;
        EditPos first;
    } cases[] = {
        {u"plain ? and 漢字", KanjiCode::SJIS, 0, {-1, -1}},
        {u"ab" + emoji + u"c", KanjiCode::SJIS, 1, {2, 0}},
        {u"line\r\ncafé é", KanjiCode::SJIS, 2, {3, 1}},
        {u"x\r\n" + emoji + emoji, KanjiCode::EUC, 2, {0, 1}},
        {u"かな" + emoji, KanjiCode::JIS, 1, {2, 0}},
        {u"ab" + emoji + u"c", KanjiCode::UTF8, 0, {-1, -1}},
        {u"ab" + emoji + u"c", KanjiCode::Unicode, 0, {-1, -1}},
        // A lone high surrogate is only known to be alone at the line end.
        {std::u16string(u"ok\r\nab\xD800\r\nz"), KanjiCode::SJIS, 1, {2, 1}},
        {std::u16string(u"ab\xD800"), KanjiCode::SJIS, 1, {2, 0}},
    };
    for (const Case& c : cases) {
        CEditData d;
        d.InsertText(c.text.c_str(), 1);
        const std::string where = "code " + std::to_string(KanjiCodeNumber(c.code)) + " text " + PathToUtf8(c.text.c_str());
        const TextLossReport checked = d.CheckSave(c.code);
        EXPECT_EQ(checked.replacedChars, c.replaced) << where;
        EXPECT_EQ(checked.firstReplaced, c.first) << where;
        EXPECT_TRUE(d.IsModified()) << "checking saves nothing: " << where;
        TextLossReport saved;
        CMemoryStream out;
        ASSERT_TRUE(d.Save(out, c.code, LineEndType::CRLF, &saved)) << where;
        EXPECT_EQ(saved.replacedChars, c.replaced) << where;
        EXPECT_EQ(saved.firstReplaced, c.first) << where;
        EXPECT_EQ(saved.Lossy(), c.replaced > 0) << where;
        // The file itself keeps the '?' that stored files rely on.
        if (c.replaced) {
            EXPECT_NE(out.Bytes().find('?'), std::string::npos) << where;
        }
    }
}

TEST(EditDataFile, ALoadReportsTheBytesThatDecodedToNothing) {
    struct Case {
        std::string bytes;
        KanjiCode code;
        unsigned long long undecoded;
    } cases[] = {
        {"plain ? text", KanjiCode::SJIS, 0},
        {"\x8A\xBF\x8E\x9A", KanjiCode::SJIS, 0},          // 漢字
        {"a\x85\x40" "b\x81", KanjiCode::SJIS, 3},         // an unassigned pair, a lead at the end
        {"\x81\x20", KanjiCode::SJIS, 1},                    // a lead with no trail: the space stays
        {"\xB4\xC1\x8F\xB0\xA1z", KanjiCode::EUC, 3},      // a JIS X 0212 character
        {"\x1B$B4A\x1B(B\x1B%Gx", KanjiCode::JIS, 2},       // an unknown escape
        {"ok\xFF\xED\xA0\x80", KanjiCode::UTF8NoSig, 4},         // a stray byte and an encoded surrogate
        {std::string("a\0b", 3), KanjiCode::UnicodeNoSig, 1},       // an odd last byte of UTF-16
    };
    for (const Case& c : cases) {
        CEditData d;
        KanjiCode code = c.code;
        LineEndType lineEnd = LineEndType::CRLF;
        TextLossReport loss;
        CMemoryStream in(c.bytes);
        ASSERT_TRUE(d.Load(in, code, lineEnd, &loss));
        EXPECT_EQ(loss.undecodedBytes, c.undecoded) << "code " << KanjiCodeNumber(c.code) << " bytes " << c.bytes;
        EXPECT_EQ(loss.replacedChars, 0u);
    }
}

// Loaded lines hold exactly their text: growing and shrinking each one
// afterwards keeps every character.
TEST(EditDataFile, LoadedLinesGrowAndShrinkLikeTypedOnes) {
    std::string bytes;
    std::vector<std::u16string> want;
    for (int n = 0; n < 300; ++n) {
        std::u16string line;
        for (int k = 0; k < n; ++k) line += char16_t(u'a' + (n + k) % 26);
        bytes += std::string(line.begin(), line.end()) + "\n";
        want.push_back(line);
    }
    want.emplace_back();
    CEditData d;
    KanjiCode code = KanjiCode::SJIS;
    LineEndType lineEnd = LineEndType::CRLF;
    ASSERT_TRUE(LoadBytes(d, bytes, code, lineEnd));
    for (int i = 0; i < 300; ++i) {
        const int length = d.GetLineLength(i);
        d.SetCaretPos(i, length / 2);
        for (int k = 0; k < 40; ++k) ASSERT_TRUE(d.InsertText(u"漢", 1));
        want[std::size_t(i)].insert(std::size_t(length / 2), 40, u'漢');
    }
    EXPECT_EQ(Lines(d), want);
    for (int i = 0; i < 300; ++i) {
        d.SetCaretPos(i, 0);
        for (int k = 0; k < 45 && d.GetLineLength(i) > 0; ++k) ASSERT_TRUE(d.DeleteCharAtCaret());
        want[std::size_t(i)].erase(0, 45);
    }
    EXPECT_EQ(Lines(d), want);
}

// A loaded file's lines keep their texts packed together until changed: every
// way of writing a line must first give it a text of its own, and undoing
// all of it must give back the loaded text.
TEST(EditDataFile, LoadedLinesSurviveEveryKindOfChange) {
    const std::vector<std::u16string> loaded = {u"alpha", u"", u"gamma delta", u"epsilon", u"zeta", u"eta", u"theta"};
    std::string bytes;
    for (const auto& l : loaded) bytes += std::string(l.begin(), l.end()) + "\n";
    bytes.pop_back();
    CEditData d;
    d.SetUndoUnlimited();
    KanjiCode code = KanjiCode::SJIS;
    LineEndType lineEnd = LineEndType::CRLF;
    ASSERT_TRUE(LoadBytes(d, bytes, code, lineEnd));
    ASSERT_EQ(Lines(d), loaded);

    std::vector<std::u16string> want = loaded;
    d.SetCaretPos(0, 2);  // split a loaded line
    ASSERT_TRUE(d.InsertText(u"\r", 0));
    want = {u"al", u"pha", u"", u"gamma delta", u"epsilon", u"zeta", u"eta", u"theta"};
    EXPECT_EQ(Lines(d), want);
    d.SetCaretPos(3, 11);  // join two loaded lines
    ASSERT_TRUE(d.DeleteCharAtCaret());
    want = {u"al", u"pha", u"", u"gamma deltaepsilon", u"zeta", u"eta", u"theta"};
    EXPECT_EQ(Lines(d), want);
    {
        // loaded texts exchanged for an empty, a shorter and a longer text
        CUndoGroupGuard group(d.GetUndo(), 0);
        ASSERT_TRUE(d.BeginLineTexts(16));
        ASSERT_TRUE(d.ExchangeLineText(4, u"", 0));
        ASSERT_TRUE(d.ExchangeLineText(5, u"e", 1));
        ASSERT_TRUE(d.ExchangeLineText(6, u"theta theta theta", 17));
    }
    want = {u"al", u"pha", u"", u"gamma deltaepsilon", u"", u"e", u"theta theta theta"};
    EXPECT_EQ(Lines(d), want);
    EXPECT_EQ(d.GetLineText(4)[0], 0);
    const std::pair<int, int> run{1, 2};
    {
        CUndoGroupGuard group(d.GetUndo(), 0);
        ASSERT_TRUE(d.DeleteLineRuns(&run, 1));
    }
    {
        CUndoGroupGuard group(d.GetUndo(), 0);
        ASSERT_TRUE(d.SortLinesAscending(0, 4));
    }
    want = {u"", u"al", u"e", u"gamma deltaepsilon", u"theta theta theta"};
    EXPECT_EQ(Lines(d), want);

    while (d.Undo()) {
    }
    EXPECT_EQ(Lines(d), loaded);
    EXPECT_FALSE(d.IsModified());

    // a second load while edited lines and undo records exist
    ASSERT_TRUE(d.Redo());
    ASSERT_TRUE(LoadBytes(d, "one\ntwo", code, lineEnd));
    EXPECT_EQ(Lines(d), (std::vector<std::u16string>{u"one", u"two"}));
    d.SetCaretPos(1, 3);
    ASSERT_TRUE(d.InsertText(u"!", 0));
    EXPECT_EQ(Lines(d), (std::vector<std::u16string>{u"one", u"two!"}));
}

// The lines of a text split at CR LF, LF and lone CR.
std::vector<std::u16string> SplitLines(const std::u16string& text) {
    std::vector<std::u16string> out(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') {
            out.back() += text[i];
            continue;
        }
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        out.emplace_back();
    }
    return out;
}

std::string Utf16LE(const std::u16string& text) {
    std::string bytes;
    for (char16_t u : text) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

TEST(EditDataFile, LoadBuildsEveryLineWhateverTheChunkBoundaries) {
    // UTF-16 chunks hold 2045 units: line ends and lines placed across them.
    const size_t chunk = 2045;
    std::u16string crAtEdge(chunk - 1, u'a');
    crAtEdge += u"\r\nb";
    std::u16string loneCrAtEdge(chunk - 1, u'a');
    loneCrAtEdge += u"\rb\r";
    std::u16string mixed;
    unsigned seed = 12345;
    for (int i = 0; i < 30000; ++i) {
        seed = seed * 1103515245 + 12345;
        const char16_t pick[] = {u'a', u'あ', u'\r', u'\n', u'x', u'漢', u'\r', u'b'};
        mixed += pick[(seed >> 16) % 8];
    }
    const std::u16string cases[] = {
        u"", u"\n", u"\r", u"\r\n\r\n", u"a\r", u"\nb", crAtEdge, loneCrAtEdge,
        std::u16string(3 * chunk + 7, u'長') + u"\r\n" + std::u16string(chunk, u'b'), mixed,
    };
    for (const auto& text : cases) {
        CEditData d;
        d.InsertText(u"old\r\ntext", 1);
        KanjiCode code = KanjiCode::UnicodeNoSig;
        LineEndType lineEnd = LineEndType::CRLF;
        ASSERT_TRUE(LoadBytes(d, Utf16LE(text), code, lineEnd));
        const auto want = SplitLines(text);
        ASSERT_EQ(Lines(d), want) << text.size();
        long long units = 0;
        for (int i = 0; i < d.GetLineCount(); ++i) {
            units += d.GetLineLength(i);
            EXPECT_FALSE(d.IsLineModified(i));
            // Lines that got text are to be measured; so is every line but the first.
            EXPECT_EQ(d.GetLineFlags(i, CEditLine::FlagTextChanged) != 0, i > 0 || d.GetLineLength(0) > 0) << i;
        }
        EXPECT_EQ(d.GetCharCount(), units);
        EXPECT_FALSE(d.IsModified());
        EXPECT_FALSE(d.GetUndo()->CanUndo());
        EXPECT_EQ(d.GetCaretPos().line, 0);
        EXPECT_EQ(d.GetCaretPos().column, 0);
        // Editing after a load works on the loaded lines.
        d.SetCaretPos(d.GetLineCount() - 1, d.GetLineLength(d.GetLineCount() - 1));
        d.TypeChar(u'!');
        EXPECT_EQ(Lines(d).back(), want.back() + u"!");
        EXPECT_TRUE(d.IsLineModified(d.GetLineCount() - 1));
    }
}

TEST(EditDataFile, LoadOutOfMemoryReportsAndKeepsTheText) {
    CEditData d;
    d.InsertText(u"old text", 1);
    // A line this long takes a block of its own from the system, and the
    // system has no big blocks left.
    std::string bytes = "first\r\n" + std::string(100000, 'x') + "\r\nlast";
    KanjiCode code = KanjiCode::SJIS;
    LineEndType lineEnd = LineEndType::CRLF;
    {
        auto smallOnly = [](size_t n) -> void* { return n < 65536 ? std::malloc(n) : nullptr; };
        MPoolSystemAllocator old = mpool_set_system_allocator({smallOnly, std::free});
        CMemoryStream in(bytes);
        CEditData::LoadFailure why = CEditData::LoadFailure::None;
        EXPECT_FALSE(d.Load(in, code, lineEnd, nullptr, &why));
        EXPECT_EQ(why, CEditData::LoadFailure::OutOfMemory);
        mpool_set_system_allocator(old);
    }
    EXPECT_EQ(Lines(d), std::vector<std::u16string>{u"old text"});
    ASSERT_TRUE(LoadBytes(d, bytes, code, lineEnd));
    EXPECT_EQ(d.GetLineCount(), 3);
    EXPECT_EQ(d.GetLineLength(1), 100000);
}

TEST(EditDataFile, ALoadTellsHowFarItHasComeAndReadsTheSameText) {
    std::u16string text;
    while (text.size() < (5u << 20)) text += Prose();
    CEditData source;
    source.InsertText(text.c_str(), 1);
    // Several reports' worth of bytes in each form; an empty file is read at once.
    for (KanjiCode code : {KanjiCode::SJIS, KanjiCode::UTF8, KanjiCode::Unicode, KanjiCode::Detect}) {
        const std::string bytes = code == KanjiCode::Detect ? std::string() : SaveBytes(source, code, LineEndType::CRLF);
        const KanjiCode readAs = code == KanjiCode::Detect ? KanjiCode::SJIS : code;
        std::vector<std::pair<unsigned long long, unsigned long long>> calls;
        CEditData elsewhere;
        auto progress = [&](unsigned long long read, unsigned long long total) {
            calls.emplace_back(read, total);
            // Work that takes the pool's lock, as painting does: a report
            // made under the lock would never come back.
            elsewhere.InsertText(u"x", 1);
        };
        CEditData plain, told;
        KanjiCode plainCode = readAs, toldCode = readAs;
        LineEndType plainEnd = LineEndType::CRLF, toldEnd = LineEndType::CRLF;
        CMemoryStream plainIn(bytes), toldIn(bytes);
        ASSERT_TRUE(plain.Load(plainIn, plainCode, plainEnd));
        ASSERT_TRUE(told.Load(toldIn, toldCode, toldEnd, nullptr, nullptr, progress));
        EXPECT_EQ(Lines(told), Lines(plain));
        EXPECT_EQ(SaveBytes(told, readAs, LineEndType::CRLF), bytes);
        EXPECT_FALSE(told.IsModified());

        const unsigned long long size = bytes.size();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().first, size) << KanjiCodeNumber(code);
        EXPECT_LE(calls.size(), size / CEditData::kLoadProgressBytes + 1);
        if (size >= 2 * CEditData::kLoadProgressBytes) {
            EXPECT_GE(calls.size(), 2u);
        }
        // A report each time that many more were read, the last at the end.
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].second, size);
            if (i + 2 < calls.size()) {
                EXPECT_GE(calls[i + 1].first, calls[i].first + CEditData::kLoadProgressBytes);
            }
            if (i + 1 < calls.size()) {
                EXPECT_LT(calls[i].first, calls[i + 1].first);
            }
        }
        EXPECT_EQ(elsewhere.GetCharCount(), static_cast<int>(calls.size()));
    }
}

TEST(EditDataFile, InsertFileIsOneUndoStepAndKeepsTheCaret) {
    CEditData d;
    d.InsertText(u"head tail", 1);
    d.SetCaretPos(0, 5);
    std::u16string text(5000, u'あ');
    text += u"\r\nend ";
    CMemoryStream in(EncodeText(KanjiCode::SJIS, text));
    KanjiCode code = KanjiCode::Detect;
    LineEndType lineEnd = LineEndType::CRLF;
    ASSERT_TRUE(d.InsertFile(in, code, lineEnd));
    EXPECT_EQ(code, KanjiCode::SJIS);
    EXPECT_EQ(lineEnd, LineEndType::CRLF);
    ASSERT_EQ(d.GetLineCount(), 2);
    EXPECT_EQ(Lines(d)[0], u"head " + std::u16string(5000, u'あ'));
    EXPECT_EQ(Lines(d)[1], u"end tail");
    EXPECT_EQ(d.GetCaretPos().line, 0);
    EXPECT_EQ(d.GetCaretPos().column, 5);
    d.Undo();
    EXPECT_EQ(Lines(d), std::vector<std::u16string>{u"head tail"});
    EXPECT_EQ(d.GetCaretPos().column, 5);
}

TEST(EditDataFile, InsertFileKeepsNulWithAndWithoutAMaximum) {
    for (int max : {-1, 100}) {
        CEditData d;
        d.SetMaxLength(max);
        CMemoryStream in(std::string("a\0b\r\nc", 6));
        KanjiCode code = KanjiCode::SJIS;
        LineEndType lineEnd = LineEndType::CRLF;
        ASSERT_TRUE(d.InsertFile(in, code, lineEnd)) << max;
        ASSERT_EQ(d.GetLineCount(), 2) << max;
        EXPECT_EQ(Lines(d)[0], std::u16string(u"a\0b", 3)) << max;
        EXPECT_EQ(Lines(d)[1], u"c") << max;
        d.Undo();
        EXPECT_TRUE(d.IsEmpty()) << max;
    }
}

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(EditDataFile, SaveToAPathReplacesTheFileOnlyWhenAllWasWritten) {
    namespace fs = std::filesystem;
    fs::path dir = fs::path(TEST_OUTPUT_DIR) / "save_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::path target = dir / "target.txt";
    { std::ofstream(target, std::ios::binary) << "original"; }
    std::u16string path = Utf8ToUtf16(target.string());

    CEditData d;
    d.InsertText(u"新しい内容\r\n二行目", 1);
    int error = -1;
    EXPECT_TRUE(d.Save(path.c_str(), KanjiCode::UTF8, LineEndType::LF, &error)) << error;
    EXPECT_EQ(error, 0);
    EXPECT_EQ(ReadFile(target), "\xEF\xBB\xBF新しい内容\n二行目");
    EXPECT_FALSE(d.IsModified());

    // A code that is no encoding: nothing is touched.
    d.InsertText(u"!", 1);
    EXPECT_FALSE(d.Save(path.c_str(), KanjiCode::Detect, LineEndType::CRLF, &error));
    EXPECT_EQ(error, kUnknownEncoding);
    EXPECT_EQ(ReadFile(target), "\xEF\xBB\xBF新しい内容\n二行目");
    EXPECT_TRUE(d.IsModified());

    // A folder in the way of the target: the rename fails, the folder stays.
    fs::path blocked = dir / "blocked";
    fs::create_directories(blocked / "inside");
    std::u16string blockedPath = Utf8ToUtf16(blocked.string());
    error = 0;
    EXPECT_FALSE(d.Save(blockedPath.c_str(), KanjiCode::SJIS, LineEndType::CRLF, &error));
    EXPECT_NE(error, 0);
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));

    // No folder: fails and says so.
    std::u16string missing = Utf8ToUtf16((dir / "no" / "such.txt").string());
    EXPECT_FALSE(d.Save(missing.c_str(), KanjiCode::SJIS, LineEndType::CRLF, &error));
    EXPECT_EQ(error, ENOENT);

    // No temporary file is left behind.
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir)) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}


// A fresh folder under the test output for one test's files.
std::filesystem::path FreshDir(const char* name) {
    auto dir = std::filesystem::path(TEST_OUTPUT_DIR) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::u16string U16(const std::filesystem::path& p) { return Utf8ToUtf16(p.string()); }

bool SaveText(const std::filesystem::path& p, const char16_t* text, int* error = nullptr) {
    CEditData d;
    d.InsertText(text, 1);
    return d.Save(U16(p).c_str(), KanjiCode::SJIS, LineEndType::LF, error);
}

TEST(EditDataFile, SaveThroughALinkWritesWhatItNames) {
    namespace fs = std::filesystem;
    const fs::path dir = FreshDir("save_links");
    const fs::path target = dir / "target.txt";
    { std::ofstream(target, std::ios::binary) << "old"; }

    // Hard links: every name sees the new text; the file stays one file.
    const fs::path other = dir / "other name.txt";
    fs::create_hard_link(target, other);
    ASSERT_TRUE(SaveText(other, u"新しい\r\nlonger text than before"));
    EXPECT_EQ(ReadFile(target), "\x90V\x82\xB5\x82\xA2\nlonger text than before");
#ifndef _WIN32  // the C runtime's stat counts one link whatever the file has
    EXPECT_EQ(fs::hard_link_count(target), 2u);
#endif
    ASSERT_TRUE(SaveText(target, u"short"));
    EXPECT_EQ(ReadFile(other), "short");

    // A symbolic link (relative, through a second link) stays a link.
    std::error_code ec;
    fs::create_symlink("target.txt", dir / "link1", ec);
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    fs::create_symlink(dir / "link1", dir / "link2");
    ASSERT_TRUE(SaveText(dir / "link2", u"via link"));
    EXPECT_TRUE(fs::is_symlink(dir / "link1"));
    EXPECT_TRUE(fs::is_symlink(dir / "link2"));
    EXPECT_EQ(ReadFile(target), "via link");
    EXPECT_EQ(ReadFile(other), "via link");
    // A link to a file not there yet creates it.
    fs::create_symlink("later.txt", dir / "dangling");
    ASSERT_TRUE(SaveText(dir / "dangling", u"made"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_EQ(ReadFile(dir / "later.txt"), "made");
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find("~wdsave"), std::string::npos) << "left behind: " << e.path();
}

#ifndef _WIN32
TEST(EditDataFile, SaveRefusesWhatIsNoRegularFileAndKeepsPermissions) {
    namespace fs = std::filesystem;
    const fs::path dir = FreshDir("save_special");
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int error = 0;
    EXPECT_FALSE(SaveText(fifo, u"x", &error));
    EXPECT_EQ(error, kNotRegularFile);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_FALSE(SaveText("/dev/null", u"x", &error));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    // A pipe is not opened for reading either (nothing would ever arrive).
    CFileStream in;
    EXPECT_FALSE(in.Open(U16(fifo).c_str(), CFileStream::ReadOnly));
    EXPECT_EQ(in.Error(), kNotRegularFile);

    const fs::path file = dir / "private.txt";
    { std::ofstream(file) << "a"; }
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(SaveText(file, u"b"));
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
#endif

}  // namespace
