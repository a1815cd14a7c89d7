#pragma once

// Whether this build runs under AddressSanitizer or ThreadSanitizer (which bring their own allocator
// and their own malloc, and reserve shadow memory beside the program's, so tests that interpose or
// measure the C library's heap, or cap the address space, stand aside).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VEXO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VEXO_SANITIZED 1
#endif
#endif

#ifdef VEXO_SANITIZED
constexpr bool UNDER_SANITIZER = true;
#else
constexpr bool UNDER_SANITIZER = false;
#endif

// Whether tests can interpose malloc to count the program's own allocations: with glibc, which
// keeps its own reachable as __libc_malloc, and not under a sanitizer. (Another C library, such as
// the Windows runtime, offers no such door.)
#include <cstdlib>
#if defined(__GLIBC__) && !defined(VEXO_SANITIZED)
#define VEXO_MALLOC_INTERPOSABLE 1
#endif
