// The words for a failed file operation: the text engine and the grep
// engine report errno values (or their own codes), and the programs tell
// the user in these sentences.
#pragma once

#include <string>

// A short Japanese sentence for a failed file operation, for message boxes.
std::u16string FileErrorMessage(int error);
// "ファイルを保存できません。", the path and the reason, a line each.
std::u16string SaveFailureMessage(const char16_t* path, int error);
