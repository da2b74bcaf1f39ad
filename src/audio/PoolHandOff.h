#pragma once

// Qt's thread pool hands a job to one of its threads under locks that ThreadSanitizer cannot see,
// as Qt is not built with it, so that everything the starter made for the job would look like a
// race with the job. A hand-off tells it what the pool guarantees: the starter calls handOver()
// once the job's runnable is made, just before start(), and the job calls take() before it reads
// anything. One token serves every job: a job cannot read a token of its own before take().
class PoolHandOff
{
public:
    static void handOver();
    static void take();
};

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_release(void* address);
extern "C" void __tsan_acquire(void* address);

inline char poolHandOffToken;

inline void PoolHandOff::handOver()
{
    __tsan_release(&poolHandOffToken);
}

inline void PoolHandOff::take()
{
    __tsan_acquire(&poolHandOffToken);
}
#else
inline void PoolHandOff::handOver() {}
inline void PoolHandOff::take() {}
#endif
