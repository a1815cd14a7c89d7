// A test-only X client for what xdotool cannot do:
//
//     vexo_xtool drop WINDOW FILE...   drops the files on WINDOW by XDND, as a file manager would:
//                                      text/uri-list, one percent-encoded file:// URI per line
//     vexo_xtool close WINDOW          asks WINDOW to close, as its title bar's close box does
//
// WINDOW is a top-level window id (as xdotool prints it). Exits 0 when the target took part:
// the drop was accepted and finished, or the close request was sent.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr long XDND_VERSION = 5;
// How long the target window may take to answer: 5 seconds, or VEXO_XTOOL_SECONDS (a program under
// valgrind answers far more slowly).
std::chrono::seconds answerTimeout()
{
    const char* seconds = std::getenv("VEXO_XTOOL_SECONDS");
    return std::chrono::seconds(seconds != nullptr && std::atoi(seconds) > 0 ? std::atoi(seconds) : 5);
}

Display* display = nullptr;

Atom atom(const char* name)
{
    return XInternAtom(display, name, False);
}

std::string fileUri(const std::string& path)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = std::isalnum(c) || std::strchr("/-._~", c) != nullptr;
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

void sendClientMessage(Window target, Atom type, const long data[5])
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

// The next event for the source window, or false after the timeout.
bool nextEvent(XEvent* event)
{
    const auto deadline = std::chrono::steady_clock::now() + answerTimeout();
    while (std::chrono::steady_clock::now() < deadline) {
        if (XPending(display) > 0) {
            XNextEvent(display, event);
            return true;
        }
        struct timespec pause{0, 5'000'000};
        nanosleep(&pause, nullptr);
    }
    return false;
}

int drop(Window target, const std::vector<std::string>& files)
{
    std::string uriList;
    for (const std::string& file : files) uriList += fileUri(file) + "\r\n";

    const Window source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const Atom uriListType = atom("text/uri-list"), selection = atom("XdndSelection");
    XSetSelectionOwner(display, selection, source, CurrentTime);

    // Aim at the middle of the target, in root coordinates.
    Window root, child;
    int x, y, rootX, rootY;
    unsigned width, height, border, depth;
    XGetGeometry(display, target, &root, &x, &y, &width, &height, &border, &depth);
    XTranslateCoordinates(display, target, root, static_cast<int>(width / 2), static_cast<int>(height * 2 / 3), &rootX,
                          &rootY, &child);

    const long enter[5] = {static_cast<long>(source), XDND_VERSION << 24, static_cast<long>(uriListType), 0, 0};
    sendClientMessage(target, atom("XdndEnter"), enter);
    const long position[5] = {static_cast<long>(source), 0, (static_cast<long>(rootX) << 16) | rootY, CurrentTime,
                              static_cast<long>(atom("XdndActionCopy"))};
    sendClientMessage(target, atom("XdndPosition"), position);

    bool dropped = false;
    for (XEvent event; nextEvent(&event);) {
        if (event.type == ClientMessage && event.xclient.message_type == atom("XdndStatus")) {
            if (dropped) continue;
            if (!(event.xclient.data.l[1] & 1)) {
                std::fputs("vexo_xtool: the window refused the drop\n", stderr);
                const long leave[5] = {static_cast<long>(source), 0, 0, 0, 0};
                sendClientMessage(target, atom("XdndLeave"), leave);
                return 1;
            }
            const long dropMessage[5] = {static_cast<long>(source), 0, CurrentTime, 0, 0};
            sendClientMessage(target, atom("XdndDrop"), dropMessage);
            dropped = true;
        } else if (event.type == SelectionRequest) {
            // The target asks for the data: answer in the format asked for, as text/uri-list bytes.
            const XSelectionRequestEvent& request = event.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = request.requestor;
            reply.xselection.selection = request.selection;
            reply.xselection.target = request.target;
            reply.xselection.time = request.time;
            reply.xselection.property = request.property;
            XChangeProperty(display, request.requestor, request.property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(uriList.data()), static_cast<int>(uriList.size()));
            XSendEvent(display, request.requestor, False, NoEventMask, &reply);
            XFlush(display);
        } else if (event.type == ClientMessage && event.xclient.message_type == atom("XdndFinished")) {
            return 0;
        }
    }
    std::fputs(dropped ? "vexo_xtool: the drop did not finish\n" : "vexo_xtool: no answer from the window\n", stderr);
    return 1;
}

int close(Window target)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = atom("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (argc < 3 || (command != "drop" && command != "close") || (command == "drop" && argc < 4)) {
        std::fputs("usage: vexo_xtool drop WINDOW FILE... | close WINDOW\n", stderr);
        return 2;
    }
    display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("vexo_xtool: no display\n", stderr);
        return 2;
    }
    const Window target = std::strtoul(argv[2], nullptr, 0);
    const int status = command == "drop" ? drop(target, std::vector<std::string>(argv + 3, argv + argc)) : close(target);
    XCloseDisplay(display);
    return status;
}
