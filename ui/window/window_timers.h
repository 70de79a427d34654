// The periodic timers a window starts and stops by ID. The toolkit runs them
// for real; tests tick them by hand.
#pragma once

class WindowTimers {
public:
    virtual ~WindowTimers() = default;
    // Starts (or restarts) timer `id`, which then calls the window's OnTimer
    // every `periodMs` milliseconds until KillTimer.
    virtual void SetTimer(int id, int periodMs) = 0;
    // Stops timer `id`; nothing when it is not running.
    virtual void KillTimer(int id) = 0;
};
