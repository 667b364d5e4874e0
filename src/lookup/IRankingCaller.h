#pragma once
// What a window that starts a ranking look-up offers the look-up.

class IRankingCaller {
public:
    virtual ~IRankingCaller() = default;
    // Called once before each request of the look-up is sent.
    virtual void SetStatus() = 0;
};
