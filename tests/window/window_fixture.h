// Window tests start the real main window, in a fresh start-up directory of
// their own, on top of the recording platform: notices, launches and hotkey
// registrations are written to fake.events instead of reaching the system.
#pragma once

#include <windows.h>

#include <string>

#include "tests/store_fixture.h"

class WindowTest : public StoreTest {
protected:
    // Starts the program as WinMain does, up to the message loop. Data files
    // written before this call are loaded.
    void Start();
    void TearDown() override;

    HWND Control(int id) const;
    static std::string TextOf(HWND window);
    // Clicks a button the way a mouse click would reach the window.
    void Click(int id);
};

// Dispatches this thread's messages until done() holds or timeoutMs passed;
// returns done().
bool PumpUntil(bool (*done)(), DWORD timeoutMs);

// Runs the program's own message loop. A quit message with TIMED_OUT ends it
// once stop() holds (when given) or timeoutMs passed. Returns the loop's exit
// code.
enum { TIMED_OUT = 99 };
int RunLoopFor(DWORD timeoutMs, bool (*stop)() = nullptr);
