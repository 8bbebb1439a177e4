// The few places where the text engine reaches the platform (a warning beep,
// a shortage to tell the user of, a stop asked for) go through this table. The window layer fills it in at
// start-up; natively it stays silent unless a test installs recorders.
#pragma once

// Values match the platform's beep type flags, so the window layer can pass
// them straight through.
constexpr unsigned kBeepExclamation = 0x30;

// What the engine could not do for want of memory; the window layer words it.
enum class TextEngineShortage {
    UndoHistory,  // an edit was refused: its undo step found no room
};

struct TextEnginePlatform {
    void (*message_beep)(unsigned type) = nullptr;
    void (*memory_short)(TextEngineShortage what) = nullptr;
    // Polled while a search walks line after line: true when the user asked
    // to stop it (the search then ends as declined).
    bool (*search_should_stop)() = nullptr;
};

// Installs a new table; returns the one it replaces.
TextEnginePlatform te_set_platform(const TextEnginePlatform& hooks);
void te_message_beep(unsigned type);
void te_memory_short(TextEngineShortage what);
bool te_search_should_stop();
