// The few places where the text engine reaches the platform (a warning beep,
// a message box) go through this table. The window layer fills it in at
// start-up; natively it stays silent unless a test installs recorders.
#pragma once

// Values match the platform's message-box and beep type flags, so the window
// layer can pass them straight through.
constexpr unsigned kBeepExclamation = 0x30;
constexpr unsigned kBoxIconInformation = 0x40;

struct TextEnginePlatform {
    void (*message_beep)(unsigned type) = nullptr;
    // Returns the button chosen (1 = OK).
    int (*message_box)(const char16_t* text, const char16_t* caption, unsigned type) = nullptr;
    // Polled while a search walks line after line: true when the user asked
    // to stop it (the search then ends as declined).
    bool (*search_should_stop)() = nullptr;
};

// Installs a new table; returns the one it replaces.
TextEnginePlatform te_set_platform(const TextEnginePlatform& hooks);
void te_message_beep(unsigned type);
int te_message_box(const char16_t* text, const char16_t* caption, unsigned type);
bool te_search_should_stop();
