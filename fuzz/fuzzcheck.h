#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>

// While alive, says what is being checked when a check fails; costs
// nothing otherwise.
class FuzzContext
{
public:
    explicit FuzzContext(std::function<void()> print) : m_print(std::move(print)), m_outer(s_top)
    {
        s_top = this;
    }
    ~FuzzContext() { s_top = m_outer; }
    FuzzContext(const FuzzContext &) = delete;
    FuzzContext &operator=(const FuzzContext &) = delete;

    static void printAll()
    {
        for (const FuzzContext *c = s_top; c; c = c->m_outer)
            c->m_print();
    }

private:
    std::function<void()> m_print;
    const FuzzContext *m_outer;
    static inline thread_local const FuzzContext *s_top = nullptr;
};

// A broken invariant aborts, so libFuzzer keeps the input as a crash artifact.
#define FUZZ_CHECK(condition)                                                            \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "fuzz check failed: %s at %s:%d\n", #condition, __FILE__, \
                         __LINE__);                                                      \
            FuzzContext::printAll();                                                     \
            std::abort();                                                                \
        }                                                                                \
    } while (0)

// Floats compare by their bits: NaN equals the same NaN, 0 and -0 differ.
inline bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
