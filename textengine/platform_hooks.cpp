#include "textengine/platform_hooks.h"

namespace {
TextEnginePlatform g_platform;
}

TextEnginePlatform te_set_platform(const TextEnginePlatform& hooks) {
    TextEnginePlatform old = g_platform;
    g_platform = hooks;
    return old;
}

void te_message_beep(unsigned type) {
    if (g_platform.message_beep) g_platform.message_beep(type);
}

int te_message_box(const char16_t* text, const char16_t* caption, unsigned type) {
    return g_platform.message_box ? g_platform.message_box(text, caption, type) : 1;
}

bool te_search_should_stop() { return g_platform.search_should_stop && g_platform.search_should_stop(); }
