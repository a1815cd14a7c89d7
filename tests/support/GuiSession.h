#pragma once

// GUI tests under a virtual X display: a private Xvfb, a program run on it with its standard
// output read line by line, xdotool for keys, clicks and drags, screenshots and pixel samples,
// and vexo_xtool for XDND drops of files and the close box (which xdotool cannot do).
//
//     GuiSession gui;                               // starts Xvfb; GTEST_SKIP when it cannot
//     GuiProgram& app = gui.start({VEXO_BINARY, "walk.bvh"});
//     std::string window = gui.findWindow("VEXO");
//     gui.xdotool({"key", "--window", window, "space"});
//     gui.drop(window, {"/tmp/a.bvh"});
//     gui.screenshot("/tmp/shot.png");
//     EXPECT_EQ(app.waitForExit(), 0);
//
// Test programs that include this define VEXO_XTOOL as the path of vexo_xtool. Commands are given
// as argument vectors, never through a shell.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace gui_detail {

using Clock = std::chrono::steady_clock;
constexpr auto DEFAULT_TIMEOUT = std::chrono::seconds(10);

// How a program is started: where its output goes (-1: inherited), which extra descriptor it
// keeps, where it runs.
struct SpawnOptions {
    int outFd = -1;
    int errFd = -1;
    int keepFd = -1;
    std::string directory;
};

// Starts a program with DISPLAY set (unless display is empty).
inline pid_t spawn(const std::vector<std::string>& command, const std::string& display, const SpawnOptions& options)
{
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (!options.directory.empty() && ::chdir(options.directory.c_str()) != 0) ::_exit(126);
    if (!display.empty()) ::setenv("DISPLAY", display.c_str(), 1);
    if (options.outFd >= 0) ::dup2(options.outFd, STDOUT_FILENO);
    if (options.errFd >= 0) ::dup2(options.errFd, STDERR_FILENO);
    const int keepFd = options.keepFd;
    for (int fd = 3; fd < 256; ++fd) {
        if (fd != keepFd) ::close(fd);
    }
    std::vector<char*> arguments;
    for (const std::string& argument : command) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    ::execvp(arguments[0], arguments.data());
    ::_exit(127);
}

// Reads what fd has until the deadline or until stop() is true; false on the end of the stream.
template <typename Stop>
bool readUntil(int fd, std::string& buffer, Clock::time_point deadline, Stop stop)
{
    while (!stop()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return true;
        pollfd wait{fd, POLLIN, 0};
        if (::poll(&wait, 1, static_cast<int>(left)) <= 0) continue;
        char chunk[4096];
        const ssize_t got = ::read(fd, chunk, sizeof(chunk));
        if (got <= 0) return false;
        buffer.append(chunk, static_cast<size_t>(got));
    }
    return true;
}

inline bool installed(const char* program)
{
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

}  // namespace gui_detail

// A program running on the virtual display, its standard output and standard error read line by
// line.
class GuiProgram {
public:
    GuiProgram(const std::vector<std::string>& command, const std::string& display, const std::string& directory)
    {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid = gui_detail::spawn(command, display, {fds[1], fds[1], -1, directory});
        ::close(fds[1]);
        outFd = fds[0];
    }

    ~GuiProgram()
    {
        if (running()) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (outFd >= 0) ::close(outFd);
    }

    GuiProgram(const GuiProgram&) = delete;
    GuiProgram& operator=(const GuiProgram&) = delete;

    // The first line not yet taken that starts with prefix, or none by the timeout. Lines before
    // it are taken too (and kept in history()).
    std::optional<std::string> waitForLine(const std::string& prefix, std::chrono::milliseconds timeout = gui_detail::DEFAULT_TIMEOUT)
    {
        const auto deadline = gui_detail::Clock::now() + timeout;
        for (;;) {
            while (!pending.empty()) {
                const std::string line = takeLine();
                if (line.rfind(prefix, 0) == 0) return line;
            }
            if (!readMore(deadline) || gui_detail::Clock::now() >= deadline) {
                while (!pending.empty()) {
                    const std::string line = takeLine();
                    if (line.rfind(prefix, 0) == 0) return line;
                }
                return std::nullopt;
            }
        }
    }

    // Every line that arrives within the time given (for checking that something did not come).
    std::vector<std::string> linesWithin(std::chrono::milliseconds time)
    {
        const auto deadline = gui_detail::Clock::now() + time;
        while (gui_detail::Clock::now() < deadline && readMore(deadline)) {}
        std::vector<std::string> lines;
        while (!pending.empty()) lines.push_back(takeLine());
        return lines;
    }

    const std::vector<std::string>& history() const { return taken; }

    // The exit status, or none if the program is still running after the timeout.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout = gui_detail::DEFAULT_TIMEOUT)
    {
        const auto deadline = gui_detail::Clock::now() + timeout;
        while (gui_detail::Clock::now() < deadline) {
            if (exitStatus) return exitStatus;
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return exitStatus;
            }
            ::usleep(10000);
        }
        return exitStatus;
    }

    bool running() { return pid > 0 && !waitForExit(std::chrono::milliseconds(0)); }

private:
    bool readMore(gui_detail::Clock::time_point deadline)
    {
        std::string chunk;
        const bool open = gui_detail::readUntil(outFd, chunk, deadline, [&] { return !chunk.empty(); });
        partial += chunk;
        for (size_t end; (end = partial.find('\n')) != std::string::npos;) {
            pending.push_back(partial.substr(0, end));
            partial.erase(0, end + 1);
        }
        return open;
    }

    std::string takeLine()
    {
        taken.push_back(pending.front());
        pending.erase(pending.begin());
        return taken.back();
    }

    pid_t pid = -1;
    int outFd = -1;
    std::string partial;
    std::vector<std::string> pending;
    std::vector<std::string> taken;
    std::optional<int> exitStatus;
};

// A private Xvfb for one test, and the tools that drive programs on it.
class GuiSession {
public:
    // A screen of width x height pixels; dotsPerInch 0 leaves the resolution to Xvfb.
    GuiSession(int width = 1024, int height = 768, int dotsPerInch = 0)
    {
        if (!gui_detail::installed("Xvfb") || !gui_detail::installed("xdotool") || !gui_detail::installed("import")) {
            return;
        }
        int fds[2];
        if (::pipe(fds) != 0) return;
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        // The server's chatter (display numbers it found taken) stays out of the test's output.
        const int quiet = ::open("/dev/null", O_WRONLY);
        std::vector<std::string> command = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                                            "-nolisten", "tcp"};
        if (dotsPerInch > 0) command.insert(command.end(), {"-dpi", std::to_string(dotsPerInch)});
        server = gui_detail::spawn(command, "", {quiet, quiet, fds[1], ""});
        ::close(quiet);
        ::close(fds[1]);
        std::string number;
        gui_detail::readUntil(fds[0], number, gui_detail::Clock::now() + gui_detail::DEFAULT_TIMEOUT,
                              [&] { return number.find('\n') != std::string::npos; });
        ::close(fds[0]);
        if (number.find('\n') != std::string::npos) displayName = ":" + number.erase(number.find('\n'));
    }

    ~GuiSession()
    {
        programs.clear();
        if (server > 0) {
            ::kill(server, SIGTERM);
            ::waitpid(server, nullptr, 0);
        }
    }

    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

    // False when Xvfb or xdotool is missing or the server did not start; tests then skip.
    bool ok() const { return !displayName.empty(); }
    const std::string& display() const { return displayName; }

    // Starts a program on the display, in the given working directory (empty: the test's).
    GuiProgram& start(const std::vector<std::string>& command, const std::string& directory = "")
    {
        programs.push_back(std::make_unique<GuiProgram>(command, displayName, directory));
        return *programs.back();
    }

    // Runs a command on the display and returns its standard output; status gets its exit status.
    std::string run(const std::vector<std::string>& command, int* status = nullptr)
    {
        int fds[2];
        if (::pipe(fds) != 0) return {};
        const pid_t pid = gui_detail::spawn(command, displayName, {fds[1], -1, -1, ""});
        ::close(fds[1]);
        std::string out;
        gui_detail::readUntil(fds[0], out, gui_detail::Clock::now() + gui_detail::DEFAULT_TIMEOUT, [] { return false; });
        ::close(fds[0]);
        int result = 0;
        ::waitpid(pid, &result, 0);
        if (status != nullptr) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
        return out;
    }

    std::string xdotool(std::vector<std::string> arguments, int* status = nullptr)
    {
        arguments.insert(arguments.begin(), "xdotool");
        return run(arguments, status);
    }

    // The id of the first window with this title, waiting for it to appear; empty if none.
    std::string findWindow(const std::string& title)
    {
        const std::string out = run({"timeout", "10", "xdotool", "search", "--sync", "--name", "^" + title + "$"});
        return out.substr(0, out.find('\n'));
    }

    // Gives the window the keyboard. Xvfb has no window manager to do it: without this, keys go to
    // whatever window is under the pointer.
    void focus(const std::string& window) { xdotool({"windowfocus", "--sync", window}); }

    // The window's position and size on the screen (all 0 when unknown).
    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;
    };
    Geometry geometry(const std::string& window)
    {
        Geometry result;
        const std::string out = xdotool({"getwindowgeometry", "--shell", window});
        const auto field = [&](const std::string& name) {
            const size_t at = out.find("\n" + name + "=");
            return at == std::string::npos ? 0 : std::atoi(out.c_str() + at + name.size() + 2);
        };
        result.x = field("X"), result.y = field("Y"), result.width = field("WIDTH"), result.height = field("HEIGHT");
        return result;
    }

    void screenshot(const std::string& pngPath) { run({"import", "-window", "root", pngPath}); }

    // The screen's pixels in a rectangle, as 0xRRGGBB, rows top first (empty if unreadable).
    std::vector<std::uint32_t> capture(int x, int y, int width, int height)
    {
        const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" +
                                 std::to_string(y);
        const std::string bytes = run({"import", "-window", "root", "-crop", crop, "-depth", "8", "rgb:-"});
        std::vector<std::uint32_t> pixels;
        if (bytes.size() != static_cast<size_t>(width) * height * 3) return pixels;
        for (size_t i = 0; i < bytes.size(); i += 3) {
            pixels.push_back((std::uint32_t{static_cast<unsigned char>(bytes[i])} << 16) |
                             (std::uint32_t{static_cast<unsigned char>(bytes[i + 1])} << 8) |
                             static_cast<unsigned char>(bytes[i + 2]));
        }
        return pixels;
    }

    std::uint32_t pixel(int x, int y)
    {
        const std::vector<std::uint32_t> one = capture(x, y, 1, 1);
        return one.empty() ? 0xFFFFFFFFu : one[0];
    }

    // Drops the files on the window by XDND; true when the window accepted the drop.
    bool drop(const std::string& window, const std::vector<std::string>& files)
    {
        std::vector<std::string> command = {VEXO_XTOOL, "drop", window};
        command.insert(command.end(), files.begin(), files.end());
        int status = -1;
        run(command, &status);
        return status == 0;
    }

    // Clicks the window's close box (sends it WM_DELETE_WINDOW).
    void closeWindow(const std::string& window) { run({VEXO_XTOOL, "close", window}); }

private:
    pid_t server = -1;
    std::string displayName;
    std::vector<std::unique_ptr<GuiProgram>> programs;
};
