// Start-up wiring: the text engine's shortages reach the user in a box.
#include "app/text_platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "framework/seams.h"
#include "textengine/platform_hooks.h"

TEST(TextPlatform, AShortageOfTheEngineIsToldInABoxThroughTheSeam) {
    std::vector<MessageBoxRequest> asked;
    auto previous = SetMessageBoxHandler([&](const MessageBoxRequest& r) {
        asked.push_back(r);
        return IDOK;
    });
    ConnectTextEngineToWindows();
    te_memory_short(TextEngineShortage::UndoHistory);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, L"メモリが確保できません");
    EXPECT_EQ(asked[0].caption, L"メッセージ");
    EXPECT_EQ(asked[0].type, static_cast<UINT>(MB_ICONINFORMATION));
    SetMessageBoxHandler(previous);
    te_set_platform(TextEnginePlatform{});
}
