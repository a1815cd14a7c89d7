// A named pipe (\\.\pipe\...): the feed starts once the reader has opened it, and the reader meets
// the end of its input (ERROR_BROKEN_PIPE) when the feed closes it.

#include "FedPipe.h"

#include <gtest/gtest.h>

namespace {

HANDLE handleOf(std::intptr_t end)
{
    return reinterpret_cast<HANDLE>(end);
}

}  // namespace

FedPipe::FedPipe(std::string text, char endless, bool forever)
{
    static int counter = 0;
    path = L"\\\\.\\pipe\\vexo_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(counter++);
    const HANDLE pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16, 0,
                                         0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) ADD_FAILURE() << "CreateNamedPipeW failed: " << GetLastError();
    ends[1] = reinterpret_cast<std::intptr_t>(pipe);
    writer = std::thread([this, pipe, text = std::move(text), endless, forever] {
        if (ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) feed(text, endless, forever);
        CloseHandle(pipe);  // what was written stays readable, then the reader meets the end
    });
}

FedPipe::~FedPipe()
{
    stop();
}

void FedPipe::stop()
{
    // A feed still waiting for its reader is released by a reader of our own, which reads nothing.
    const bool first = !stopped.exchange(true);
    const HANDLE reader =
        first ? CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) : INVALID_HANDLE_VALUE;
    if (writer.joinable()) writer.join();
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
}

bool FedPipe::write(const std::string& bytes)
{
    for (size_t done = 0; done < bytes.size() && !stopped;) {
        DWORD put = 0;
        if (!WriteFile(handleOf(ends[1]), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &put, nullptr)) {
            return false;  // the reader has closed its end
        }
        done += put;
    }
    return true;
}
