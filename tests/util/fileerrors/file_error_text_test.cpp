// The sentences the programs show for failed file operations.
#include <gtest/gtest.h>

#include <cerrno>

#include "textengine/file_replace.h"
#include "util/file_error_text.h"

TEST(FileErrorText, EachReasonHasItsSentence) {
    const struct {
        int error;
        const char16_t* text;
    } cases[] = {
        {0, u""},
        {ENOENT, u"ファイルまたはフォルダが見つかりません。"},
        {EACCES, u"アクセスが拒否されました。"},
        {EROFS, u"アクセスが拒否されました。"},
        {ENOSPC, u"ディスクの空き容量が不足しています。"},
        {ENOMEM, u"メモリが確保できません"},
        {EISDIR, u"フォルダです。"},
        {kNotRegularFile, u"通常のファイルではありません。"},
        {kUnknownEncoding, u"文字コードが正しくありません。"},
        {EIO, u"ファイルの読み書きに失敗しました。"},
    };
    for (const auto& c : cases) EXPECT_EQ(FileErrorMessage(c.error), c.text) << c.error;
}

TEST(FileErrorText, ASaveFailureNamesTheFileAndTheReason) {
    EXPECT_EQ(SaveFailureMessage(u"C:\\a.txt", ENOSPC),
              u"ファイルを保存できません。\nC:\\a.txt\nディスクの空き容量が不足しています。");
}
