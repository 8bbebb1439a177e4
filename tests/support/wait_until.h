// The window tests' one wait: the thread's messages run until a condition
// holds or a time-out passes, never for a fixed time.
#pragma once

#include <windows.h>

namespace wtest {

// How a waiting test handles a message by default.
struct DispatchMessages {
    void operator()(MSG& msg) const {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
};

// Runs every waiting message through handle (paints and timers included),
// then asks done(); sleeps until the next message while it does not hold.
// False when it still does not hold after timeoutMs. The queue is run dry
// before each question, so a key's up-stroke is handled with its down-stroke.
// A test whose messages go through the program's own loop or a dialog's
// navigation passes a handle that does so.
template <class Done, class Handle = DispatchMessages>
bool WaitUntil(Done done, DWORD timeoutMs = 5000, Handle handle = Handle()) {
    const DWORD start = ::GetTickCount();
    const auto late = [&] { return ::GetTickCount() - start >= timeoutMs; };
    for (;;) {
        MSG msg;
        while (!late() && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) handle(msg);
        if (done()) return true;
        if (late()) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace wtest
