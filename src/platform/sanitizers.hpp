// Which sanitizer a build runs under, for the few places that must know:
// PLICATO_WITH_ASAN (address, with its leak checker) and PLICATO_WITH_TSAN (thread).
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define PLICATO_WITH_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLICATO_WITH_ASAN 1
#endif
#endif

#if defined(__SANITIZE_THREAD__)
#define PLICATO_WITH_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PLICATO_WITH_TSAN 1
#endif
#endif
