#include "platform/side_thread.h"

#include <pthread.h>

namespace {

struct Start {
    void (*work)(void*);
    void* context;
};

void* Run(void* start) {
    Start* s = static_cast<Start*>(start);
    s->work(s->context);
    delete s;
    return nullptr;
}

}  // namespace

SideThread::SideThread(void (*work)(void*), void* context) : handle_(nullptr) {
    Start* start = new Start{work, context};
    pthread_t thread;
    if (pthread_create(&thread, nullptr, Run, start) == 0) {
        handle_ = new pthread_t(thread);
        return;
    }
    delete start;
    work(context);
}

SideThread::~SideThread() {
    if (!handle_) return;
    pthread_t* thread = static_cast<pthread_t*>(handle_);
    pthread_join(*thread, nullptr);
    delete thread;
}
