// Stand-in for the framework's critical section: a mutex with Lock/Unlock and
// a scoped guard. Everything runs on one thread, so it never contends.
#pragma once

#include <mutex>

class CCriticalSection {
public:
    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }

private:
    std::mutex mutex_;
};

class CSingleLock {
public:
    explicit CSingleLock(CCriticalSection& section) : section_(section) { section_.Lock(); }
    ~CSingleLock() { section_.Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

private:
    CCriticalSection& section_;
};
