// A POSIX pipe; its read end is opened again through /proc/self/fd.

#include "FedPipe.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

FedPipe::FedPipe(std::string text, char endless, bool forever)
{
    int fds[2] = {-1, -1};
    if (::pipe(fds) != 0) ADD_FAILURE() << "pipe: " << std::strerror(errno);
    ends[0] = fds[0];
    ends[1] = fds[1];
    std::signal(SIGPIPE, SIG_IGN);  // a reader that stops early must not end the test
    writer = std::thread([this, text = std::move(text), endless, forever] {
        feed(text, endless, forever);
        ::close(static_cast<int>(ends[1]));
    });
    const std::string name = "/proc/self/fd/" + std::to_string(fds[0]);
    path.assign(name.begin(), name.end());
}

FedPipe::~FedPipe()
{
    ::close(static_cast<int>(ends[0]));  // with the reader done, a write still waiting fails and the feed ends
    stop();
}

void FedPipe::stop()
{
    stopped = true;
    if (writer.joinable()) writer.join();
}

bool FedPipe::write(const std::string& bytes)
{
    for (size_t done = 0; done < bytes.size() && !stopped;) {
        const ssize_t put = ::write(static_cast<int>(ends[1]), bytes.data() + done, bytes.size() - done);
        if (put <= 0) return false;
        done += size_t(put);
    }
    return true;
}
