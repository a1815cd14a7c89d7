#pragma once

// A virtual X display (Xvfb) for GUI tests of the real program, driven with xdotool and read back
// with ImageMagick's import, as a user's session would be.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// An RGB screenshot, top row first.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    std::size_t countOf(std::uint8_t r, std::uint8_t g, std::uint8_t b) const
    {
        std::size_t n = 0;
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) n += rgb[i] == r && rgb[i + 1] == g && rgb[i + 2] == b;
        return n;
    }

    bool operator==(const Screenshot& other) const = default;

    bool save(const std::string& path) const
    {
        FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) return false;
        std::fprintf(out, "P6\n%d %d\n255\n", width, height);
        std::fwrite(rgb.data(), 1, rgb.size(), out);
        return std::fclose(out) == 0;
    }
};

class GuiSession {
public:
    GuiSession()
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return;
        xvfb = fork();
        if (xvfb == 0) {
            close(pipeFds[0]);
            const int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, 1), dup2(devNull, 2);
            const std::string fd = std::to_string(pipeFds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        // Xvfb writes the number of the display it chose, then a newline, once it accepts clients.
        std::string number;
        char c;
        while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
        close(pipeFds[0]);
        if (!number.empty()) display = ":" + number;
    }

    ~GuiSession()
    {
        for (pid_t child : launched) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        if (xvfb > 0) {
            kill(xvfb, SIGTERM);
            waitpid(xvfb, nullptr, 0);
        }
    }

    bool ready() const { return !display.empty(); }

    // Runs a shell command on the display; its standard output.
    std::string run(const std::string& command) const
    {
        FILE* pipe = popen(("DISPLAY=" + display + " " + command).c_str(), "r");
        std::string out;
        if (pipe == nullptr) return out;
        char chunk[4096];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
        pclose(pipe);
        return out;
    }

    // Starts a program on the display; its output goes to outputPath.
    pid_t launch(const std::vector<std::string>& arguments, const std::string& outputPath = "/dev/null")
    {
        const pid_t child = fork();
        if (child == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            const int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1), dup2(out, 2);
            std::vector<char*> argv;
            for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        launched.push_back(child);
        return child;
    }

    // The exit status of a launched program, or -1 when it has not ended within the time.
    int waitForExit(pid_t child, double seconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        do {
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child) {
                std::erase(launched, child);
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < end);
        return -1;
    }

    // The visible windows whose name matches the pattern (xdotool's extended regular expression).
    std::vector<std::string> windows(const std::string& namePattern) const
    {
        std::vector<std::string> ids;
        const std::string out = run("xdotool search --onlyvisible --name '" + namePattern + "' 2>/dev/null");
        for (size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
            ids.push_back(out.substr(start, end - start));
        }
        return ids;
    }

    // Waits for a visible window of that name; its id, or empty.
    std::string waitForWindow(const std::string& namePattern, double seconds = 10) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        do {
            const std::vector<std::string> ids = windows(namePattern);
            if (!ids.empty()) return ids.front();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < end);
        return {};
    }

    // Real key presses (XTEST) into the window, given the focus first; xdotool key names.
    void keys(const std::string& window, const std::string& names) const
    {
        run("xdotool windowfocus --sync " + window + " key --delay 60 " + names);
    }

    Screenshot screenshot(const std::string& window = "root") const
    {
        Screenshot shot;
        FILE* pipe = popen(("DISPLAY=" + display + " import -window " + window + " -depth 8 ppm:-").c_str(), "r");
        if (pipe == nullptr) return shot;
        int maxValue = 0;
        if (std::fscanf(pipe, "P6 %d %d %d", &shot.width, &shot.height, &maxValue) == 3 && maxValue == 255) {
            std::fgetc(pipe);  // the one whitespace after the header
            shot.rgb.resize(std::size_t(shot.width) * shot.height * 3);
            if (std::fread(shot.rgb.data(), 1, shot.rgb.size(), pipe) != shot.rgb.size()) shot.rgb.clear();
        }
        pclose(pipe);
        return shot;
    }

    static void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

private:
    pid_t xvfb = -1;
    std::string display;
    std::vector<pid_t> launched;
};
