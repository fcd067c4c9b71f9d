// Drives the real program under an X server and a window manager with
// synthesized input, and times what the user sees: from a key press to the
// moment the result has been drawn on screen.
//
// "Drawn" is read from the X server's damage reports: the time of the last
// drawing inside the region that shows the result (the message box, or the
// headword list) before that region stays unchanged for a quiet period. The
// quiet period itself is not counted. Input goes through the XTEST extension,
// as from a keyboard and a mouse.
//
//   window_probe PROGRAM FOUND_WORD MISSING_WORD [ROUNDS]
//
// Run by bench/bench_window.sh, which provides the X server, the window
// manager and the letter file in the working directory.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The main window's controls, in client coordinates.
constexpr int kImage1X = 20 + 161 / 2;
constexpr int kImage1Y = 72 + 123 / 2;
struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    [[nodiscard]] bool intersects(const Rect &other) const
    {
        return x < other.x + other.width && other.x < x + width && y < other.y + other.height && other.y < y + height;
    }
};
constexpr Rect kList1{200, 24, 185, 327};

const std::string kMainTitle = "Lexorra";
const std::string kPromptTitle = " Lexorra.";

// How long a region must stay unchanged before its last drawing counts as the
// result, and how long any one step may take at most.
constexpr auto kQuiet = std::chrono::milliseconds(250);
constexpr auto kTimeout = std::chrono::seconds(10);

// Windows come and go while they are looked at: a request about one that has
// just gone fails, and that failure only means "not this one".
int ignoreErrors(::Display *, XErrorEvent *)
{
    return 0;
}

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> samples)
{
    if (samples.empty())
        return NAN;
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

class Desktop
{
public:
    Desktop()
    {
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            return;
        XSetErrorHandler(ignoreErrors);
        m_root = DefaultRootWindow(m_display);
        int damageError = 0;
        int major = 0;
        int minor = 0;
        int testEvent = 0;
        int testError = 0;
        if (!XDamageQueryExtension(m_display, &m_damageEvent, &damageError) ||
            !XTestQueryExtension(m_display, &testEvent, &testError, &major, &minor)) {
            XCloseDisplay(m_display);
            m_display = nullptr;
            return;
        }
        XDamageCreate(m_display, m_root, XDamageReportRawRectangles);
        XSelectInput(m_display, m_root, PropertyChangeMask);
        m_activeAtom = XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False);
        m_clientListAtom = XInternAtom(m_display, "_NET_CLIENT_LIST", False);
        m_nameAtom = XInternAtom(m_display, "_NET_WM_NAME", False);
        m_utf8Atom = XInternAtom(m_display, "UTF8_STRING", False);
        XSync(m_display, False);
    }
    ~Desktop()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;

    [[nodiscard]] bool isOpen() const { return m_display != nullptr; }

    /// Forgets the drawing seen so far.
    void forgetDamage() { m_damage.clear(); }

    /// Handles events until @p done holds or the timeout passes.
    bool waitFor(const std::function<bool()> &done, Clock::duration timeout = kTimeout)
    {
        const Clock::time_point end = Clock::now() + timeout;
        while (!done()) {
            const Clock::time_point now = Clock::now();
            if (now >= end)
                return false;
            pump(std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count() + 1);
        }
        return true;
    }

    /// Handles events for @p duration.
    void settle(Clock::duration duration)
    {
        const Clock::time_point end = Clock::now() + duration;
        waitFor([&] { return Clock::now() >= end; }, duration + std::chrono::seconds(1));
    }

    /// Waits until the focused top-level window is one that @p accept takes;
    /// returns it, or 0 on timeout.
    Window waitForActive(const std::function<bool(Window, const std::string &)> &accept)
    {
        Window found = 0;
        waitFor([&] {
            const Window active = activeWindow();
            if (active && accept(active, title(active)))
                found = active;
            return found != 0;
        });
        return found;
    }

    /// Waits until @p area has been drawn since @p since and then stayed
    /// unchanged for the quiet period; returns the milliseconds from @p since
    /// to its last drawing, or NAN on timeout.
    double lastDrawingIn(const Rect &area, Clock::time_point since)
    {
        std::optional<Clock::time_point> last;
        const bool quiet = waitFor([&] {
            for (const Damage &damage : m_damage) {
                if (damage.at >= since && damage.area.intersects(area) && (!last || damage.at > *last))
                    last = damage.at;
            }
            return last && Clock::now() - *last >= kQuiet;
        });
        return quiet ? msBetween(since, *last) : NAN;
    }

    /// The rectangle of @p window's client area on the screen.
    Rect clientRect(Window window)
    {
        XWindowAttributes attributes{};
        XGetWindowAttributes(m_display, window, &attributes);
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(m_display, window, m_root, 0, 0, &x, &y, &child);
        return Rect{x, y, attributes.width, attributes.height};
    }

    /// Clicks at @p x, @p y with a hand's pace between the steps, then moves
    /// the pointer away, so that no tooltip draws over the window.
    void click(int x, int y)
    {
        const auto step = std::chrono::milliseconds(30);
        XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
        XFlush(m_display);
        settle(step);
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XFlush(m_display);
        settle(step);
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
        XFlush(m_display);
        settle(step);
        XTestFakeMotionEvent(m_display, -1, 1, 1, CurrentTime);
        XFlush(m_display);
    }

    void key(KeySym symbol)
    {
        const KeyCode code = XKeysymToKeycode(m_display, symbol);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        XFlush(m_display);
    }

    void type(const std::string &word)
    {
        for (char c : word)
            key(XStringToKeysym(std::string(1, c).c_str()));
    }

    /// A managed top-level window titled @p wanted, or 0.
    Window clientTitled(const std::string &wanted)
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char *data = nullptr;
        Window found = 0;
        if (XGetWindowProperty(m_display, m_root, m_clientListAtom, 0, 4096, False, XA_WINDOW, &type, &format, &count,
                               &after, &data) == Success &&
            data) {
            const auto *windows = reinterpret_cast<const Window *>(data);
            for (unsigned long i = 0; i < count && !found; ++i) {
                if (title(windows[i]) == wanted)
                    found = windows[i];
            }
        }
        if (data)
            XFree(data);
        return found;
    }

    /// The focused top-level window, or 0.
    Window activeWindow()
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char *data = nullptr;
        Window window = 0;
        if (XGetWindowProperty(m_display, m_root, m_activeAtom, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                               &data) == Success &&
            data && count == 1)
            window = *reinterpret_cast<Window *>(data);
        if (data)
            XFree(data);
        return window;
    }

    /// The title of @p window, empty when it has none or is gone.
    std::string title(Window window)
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char *data = nullptr;
        std::string name;
        if (XGetWindowProperty(m_display, window, m_nameAtom, 0, 1024, False, m_utf8Atom, &type, &format, &count,
                               &after, &data) == Success &&
            data)
            name.assign(reinterpret_cast<char *>(data), count);
        if (data)
            XFree(data);
        return name;
    }

private:
    struct Damage
    {
        Clock::time_point at;
        Rect area;
    };

    void pump(long long timeoutMs)
    {
        if (!XPending(m_display)) {
            pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(std::min<long long>(timeoutMs, 50)));
        }
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            const Clock::time_point now = Clock::now();
            if (event.type == m_damageEvent + XDamageNotify) {
                const auto &damage = reinterpret_cast<const XDamageNotifyEvent &>(event);
                m_damage.push_back({now, Rect{damage.area.x, damage.area.y, damage.area.width, damage.area.height}});
            }
        }
    }

    ::Display *m_display = nullptr;
    Window m_root = 0;
    int m_damageEvent = 0;
    Atom m_activeAtom = 0;
    Atom m_clientListAtom = 0;
    Atom m_nameAtom = 0;
    Atom m_utf8Atom = 0;
    std::vector<Damage> m_damage;
};

// One run of the program under test.
class Program
{
public:
    Program(Desktop &desktop, const char *path) : m_desktop(desktop)
    {
        const Clock::time_point started = Clock::now();
        m_pid = fork();
        if (m_pid == 0) {
            execl(path, path, static_cast<char *>(nullptr));
            _exit(127);
        }
        // The window manager normally gives the new window the focus; should
        // it not, the window is found among the managed ones, and the first
        // click focuses it.
        desktop.waitFor([&] {
            const Window active = desktop.activeWindow();
            m_main = active && desktop.title(active) == kMainTitle ? active : desktop.clientTitled(kMainTitle);
            return m_main != 0;
        });
        if (!m_main)
            return;
        m_client = desktop.clientRect(m_main);
        startupMs = desktop.lastDrawingIn(m_client, started);
    }
    ~Program()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        // The server lets the window go a little after the program: the next
        // run must not take it for its own.
        if (m_main)
            m_desktop.waitFor([this] { return m_desktop.activeWindow() != m_main; });
    }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    [[nodiscard]] bool isShown() const { return m_main != 0; }

    struct Lookup
    {
        double boxMs = NAN;     // Enter to the found word's box drawn
        double listingMs = NAN; // Enter (OK, or the missing word) to the listing drawn
    };

    /// One lookup of @p word as a user makes it: a click on the picture, the
    /// word typed into the prompt, Enter, and Enter again on the box if one
    /// comes.
    Lookup lookup(const std::string &word, bool found)
    {
        Lookup result;
        // The window may still have moved since it was first shown.
        m_client = m_desktop.clientRect(m_main);
        m_desktop.click(m_client.x + kImage1X, m_client.y + kImage1Y);
        if (!m_desktop.waitForActive([](Window, const std::string &title) { return title == kPromptTitle; })) {
            std::fprintf(stderr, "window_probe: the prompt did not open after a click at %d,%d\n",
                         m_client.x + kImage1X, m_client.y + kImage1Y);
            return result;
        }
        m_desktop.settle(std::chrono::milliseconds(100));
        m_desktop.type(word);
        m_desktop.settle(std::chrono::milliseconds(100));

        m_desktop.forgetDamage();
        Clock::time_point pressed = Clock::now();
        m_desktop.key(XK_Return);
        const Rect list{m_client.x + kList1.x, m_client.y + kList1.y, kList1.width, kList1.height};
        if (found) {
            // The box carries the headword as its title; a window that has
            // just gone has none.
            const Window box = m_desktop.waitForActive([this](Window window, const std::string &title) {
                return window != m_main && !title.empty() && title != kPromptTitle && title != kMainTitle;
            });
            if (!box) {
                std::fprintf(stderr, "window_probe: no box for '%s'\n", word.c_str());
                return result;
            }
            result.boxMs = m_desktop.lastDrawingIn(m_desktop.clientRect(box), pressed);
            m_desktop.forgetDamage();
            pressed = Clock::now();
            m_desktop.key(XK_Return);
        }
        result.listingMs = m_desktop.lastDrawingIn(list, pressed);
        if (!m_desktop.waitForActive([this](Window window, const std::string &) { return window == m_main; })) {
            std::fprintf(stderr, "window_probe: the main window did not come back after '%s'\n", word.c_str());
            result.listingMs = NAN;
        }
        m_desktop.settle(std::chrono::milliseconds(100));
        return result;
    }

    /// Resident memory of the program, in MiB.
    [[nodiscard]] double residentMiB() const
    {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("VmRSS:", 0) == 0)
                return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
        }
        return NAN;
    }

    double startupMs = NAN;

private:
    Desktop &m_desktop;
    pid_t m_pid = -1;
    Window m_main = 0;
    Rect m_client;
};

void report(const char *what, const std::vector<double> &samples)
{
    std::vector<double> measured;
    std::copy_if(samples.begin(), samples.end(), std::back_inserter(measured),
                 [](double ms) { return !std::isnan(ms); });
    std::printf("%-44s median %7.1f ms  (min %.1f, max %.1f, %zu of %zu rounds)\n", what, median(measured),
                measured.empty() ? NAN : *std::min_element(measured.begin(), measured.end()),
                measured.empty() ? NAN : *std::max_element(measured.begin(), measured.end()), measured.size(),
                samples.size());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s PROGRAM FOUND_WORD MISSING_WORD [ROUNDS]\n", argv[0]);
        return 2;
    }
    const char *program = argv[1];
    const std::string foundWord = argv[2];
    const std::string missingWord = argv[3];
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 15;

    Desktop desktop;
    if (!desktop.isOpen()) {
        std::fprintf(stderr, "window_probe: no X display with the DAMAGE and XTEST extensions\n");
        return 1;
    }

    std::vector<double> startup;
    std::vector<double> firstLookup;
    std::vector<double> box;
    std::vector<double> listingAfterOk;
    std::vector<double> missing;
    double restingMiB = NAN;
    double afterTenMiB = NAN;
    {
        Program running(desktop, program);
        if (!running.isShown()) {
            std::fprintf(stderr, "window_probe: the main window did not appear\n");
            return 1;
        }
        restingMiB = running.residentMiB();
        // A first lookup that is not counted: the rounds time warm lookups.
        running.lookup(foundWord, true);
        int lookups = 1;
        for (int round = 0; round < rounds; ++round) {
            const Program::Lookup found = running.lookup(foundWord, true);
            box.push_back(found.boxMs);
            listingAfterOk.push_back(found.listingMs);
            if (++lookups == 10)
                afterTenMiB = running.residentMiB();
            missing.push_back(running.lookup(missingWord, false).listingMs);
            if (++lookups == 10)
                afterTenMiB = running.residentMiB();
        }
    }
    for (int round = 0; round < rounds; ++round) {
        Program fresh(desktop, program);
        if (!fresh.isShown())
            continue;
        startup.push_back(fresh.startupMs);
        firstLookup.push_back(fresh.lookup(foundWord, true).boxMs);
    }

    report("start to main window drawn", startup);
    report("first lookup after start: Enter to box", firstLookup);
    report("found word: Enter to box drawn", box);
    report("OK to listing drawn", listingAfterOk);
    report("missing word: Enter to listing drawn", missing);
    std::printf("%-44s %.1f MiB at rest, %.1f MiB after 10 lookups\n", "resident memory (VmRSS)", restingMiB,
                afterTenMiB);
    return 0;
}
