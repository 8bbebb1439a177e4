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

void te_memory_short(TextEngineShortage what) {
    if (g_platform.memory_short) g_platform.memory_short(what);
}

bool te_search_should_stop() { return g_platform.search_should_stop && g_platform.search_should_stop(); }
