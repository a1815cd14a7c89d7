#pragma once

// A pipe whose write end a thread feeds with the given text, then with `endless` bytes for as long as
// the pipe is read (none unless forever), then closes. Its read end has a path that opens as a pipe.
// Realised per platform in tests/support/<platform>/FedPipe.cpp.

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/win32.h"
#include "resources/WideText.h"

class FedPipe {
public:
    explicit FedPipe(std::string text, char endless = '\0', bool forever = false);
    ~FedPipe();
    FedPipe(const FedPipe&) = delete;
    FedPipe& operator=(const FedPipe&) = delete;

    LPCWSTR name() const { return path.c_str(); }
    // Ends an endless feed: the reader then meets the end of the input.
    void stop();

private:
    // The writer thread's work: false once the reader has gone.
    bool write(const std::string& bytes);
    void feed(const std::string& text, char endless, bool forever)
    {
        write(text);
        const std::string chunk(1 << 16, endless);
        while (forever && !stopped && write(chunk)) {}
    }

    std::intptr_t ends[2] = {-1, -1};  // the platform's descriptors or handles: read end, write end
    std::atomic<bool> stopped{false};
    std::thread writer;
    WideText path;
};
