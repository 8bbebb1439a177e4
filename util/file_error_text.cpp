#include "util/file_error_text.h"

#include <cerrno>

#include "textengine/file_replace.h"

std::u16string FileErrorMessage(int error) {
    switch (error) {
    case 0: return u"";
    case ENOENT: return u"ファイルまたはフォルダが見つかりません。";
    case EACCES:
    case EPERM:
    case EROFS: return u"アクセスが拒否されました。";
    case ENOSPC: return u"ディスクの空き容量が不足しています。";
    case ENOMEM: return u"メモリが確保できません";
    case EISDIR: return u"フォルダです。";
    case kNotRegularFile: return u"通常のファイルではありません。";
    case kUnknownEncoding: return u"文字コードが正しくありません。";
    default: return u"ファイルの読み書きに失敗しました。";
    }
}

std::u16string SaveFailureMessage(const char16_t* path, int error) {
    std::u16string message = u"ファイルを保存できません。\n";
    message += path ? path : u"";
    message += u"\n";
    message += FileErrorMessage(error);
    return message;
}
