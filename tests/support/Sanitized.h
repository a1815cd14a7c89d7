#pragma once

// Whether this build runs under AddressSanitizer (which brings its own allocator and its own
// malloc, so tests that interpose or measure the C library's heap stand aside).
#if defined(__SANITIZE_ADDRESS__)
#define VEXO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEXO_SANITIZED 1
#endif
#endif

#ifdef VEXO_SANITIZED
constexpr bool UNDER_SANITIZER = true;
#else
constexpr bool UNDER_SANITIZER = false;
#endif
