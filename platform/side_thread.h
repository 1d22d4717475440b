// SideThread: one piece of work run on a thread of its own beside the
// caller's, for the host's own bulk work (never the module's: the host calls
// the module on one thread). Where no thread can be started, the work runs
// on the caller's thread at construction, so the result is the same.
#pragma once

class SideThread {
public:
    // Starts work(context).
    SideThread(void (*work)(void*), void* context);
    // Waits for the work to end.
    ~SideThread();
    SideThread(const SideThread&) = delete;
    SideThread& operator=(const SideThread&) = delete;

private:
    void* handle_;  // null when the work ran at construction
};
