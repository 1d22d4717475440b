#include "platform/side_thread.h"

#include <windows.h>

namespace {

struct Start {
    void (*work)(void*);
    void* context;
};

DWORD WINAPI Run(LPVOID start) {
    Start* s = static_cast<Start*>(start);
    s->work(s->context);
    delete s;
    return 0;
}

}  // namespace

SideThread::SideThread(void (*work)(void*), void* context) : handle_(nullptr) {
    Start* start = new Start{work, context};
    if (HANDLE thread = CreateThread(nullptr, 0, Run, start, 0, nullptr)) {
        handle_ = thread;
        return;
    }
    delete start;
    work(context);
}

SideThread::~SideThread() {
    if (!handle_) return;
    WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE);
    CloseHandle(static_cast<HANDLE>(handle_));
}
