// Drives real programs under an X server and a window manager with
// synthesized input, and times what the user sees: from a key press to the
// moment the result has been drawn on screen.
//
// "Drawn" is read from the X server's damage reports: the time of the last
// drawing inside the region that shows the result (the message box, the
// headword list, or a peer's main window) before that region stays unchanged
// for a quiet period. The quiet period itself is not counted, and neither is
// a blinking text cursor. Input goes through the XTEST extension, as from a
// keyboard and a mouse.
//
//   window_probe [--rounds N] [--trace] FOUND MISSING SUBJECT...
//   window_probe --soak N FOUND MISSING SUBJECT
//
// SUBJECT is "--lexorra LABEL COMMAND" (a program looked up through a click
// on its picture, a prompt and a box, as Lexorra is) or "--peer LABEL COMMAND"
// (a program whose main window has a search line with the focus: the word is
// typed there and Enter shows the result in the window). COMMAND runs through
// /bin/sh and ends in exec: the probe finds the program's windows by the
// process it started.
//
// Each round runs every subject in turn, starting with a different one each
// round: a fresh start, then ten lookups (found, missing, found, ...), then
// the resident memory. The table gives the medians over the rounds and each
// subject's ratio to the first.
//
// --soak makes 10 lookups, then N more as fast as the windows allow, and
// prints the resident memory along the way. --trace prints every drawing the
// server reports while the probe waits for a result, stamped on the clock
// that programs read as CLOCK_MONOTONIC, to line up with their own traces.
//
// Run by bench/bench_window.sh and bench/bench_soak.sh, which provide the X
// server, the window manager and the dictionary in the working directory.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
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
using Ms = std::chrono::milliseconds;

// Lexorra's main window controls, in client coordinates.
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
const std::string kPromptTitle = " Lexorra.";

// A text cursor blinks in rectangles narrower than this; results are wider.
constexpr int kCursorWidth = 16;
// How long any one step may take at most.
constexpr auto kTimeout = std::chrono::seconds(10);

// How fast the probe goes: as a person would, with a long quiet period so
// that a result drawn in several steps counts whole, or as fast as the
// windows follow, for the soak.
struct Pace
{
    Ms quiet;  // a region unchanged this long is drawn
    Ms step;   // between the steps of a click
    Ms settle; // after a window opened, after typing, after a lookup
};
constexpr Pace kHandPace{Ms(250), Ms(30), Ms(100)};
constexpr Pace kSoakPace{Ms(40), Ms(5), Ms(10)};

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

double msSinceBoot(Clock::time_point at)
{
    return std::chrono::duration<double, std::milli>(at.time_since_epoch()).count();
}

double median(std::vector<double> samples)
{
    if (samples.empty())
        return NAN;
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// The code points of UTF-8 @p text (which the command line gives).
std::vector<char32_t> codePoints(const std::string &text)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t point = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + k < text.size(); ++k)
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

KeySym keySymFor(char32_t point)
{
    return point < 0x100 ? KeySym(point) : KeySym(0x01000000 | point);
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
        m_pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
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

    void setPace(const Pace &pace) { m_pace = pace; }
    [[nodiscard]] const Pace &pace() const { return m_pace; }

    /// Forgets the drawing done so far, including what the server has
    /// reported and the probe not yet read: events are stamped when read.
    void forgetDamage()
    {
        XSync(m_display, False);
        pump(0);
        m_damage.clear();
    }

    /// Handles events until @p done holds or the timeout passes.
    bool waitFor(const std::function<bool()> &done, Clock::duration timeout = kTimeout)
    {
        const Clock::time_point end = Clock::now() + timeout;
        while (!done()) {
            const Clock::time_point now = Clock::now();
            if (now >= end)
                return false;
            pump(std::chrono::duration_cast<Ms>(end - now).count() + 1);
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
    Window waitForActive(const std::function<bool(Window, const std::string &)> &accept,
                         Clock::duration timeout = kTimeout)
    {
        Window found = 0;
        waitFor(
            [&] {
                const Window active = activeWindow();
                if (active && accept(active, title(active)))
                    found = active;
                return found != 0;
            },
            timeout);
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
                if (damage.at >= since && damage.area.width >= kCursorWidth && damage.area.intersects(area) &&
                    (!last || damage.at > *last))
                    last = damage.at;
            }
            return last && Clock::now() - *last >= m_pace.quiet;
        });
        if (m_trace) {
            std::fprintf(stderr, "trace: from %.3f ms, drawing in %d,%d %dx%d:\n", msSinceBoot(since), area.x, area.y,
                         area.width, area.height);
            for (const Damage &damage : m_damage) {
                if (damage.at >= since)
                    std::fprintf(stderr, "trace:   %8.3f ms (%+7.2f)  %d,%d %dx%d%s\n", msSinceBoot(damage.at),
                                 msBetween(since, damage.at), damage.area.x, damage.area.y, damage.area.width,
                                 damage.area.height, damage.area.intersects(area) ? "" : "  (elsewhere)");
            }
        }
        return quiet ? msBetween(since, *last) : NAN;
    }

    /// Prints every drawing seen while waiting for a result, with the time
    /// of the clock that programs read as CLOCK_MONOTONIC.
    void setTrace(bool trace) { m_trace = trace; }

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

    /// Clicks at @p x, @p y with the pace's steps in between, then moves the
    /// pointer away, so that no tooltip draws over the window.
    void click(int x, int y)
    {
        XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
        XFlush(m_display);
        settle(m_pace.step);
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XFlush(m_display);
        settle(m_pace.step);
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
        XFlush(m_display);
        settle(m_pace.step);
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
        for (char32_t point : codePoints(word))
            key(keySymFor(point));
    }

    /// Gives every character of @p words a key of its own, on keys the
    /// keyboard leaves unused: Xvfb's keyboard has no ü or ß. Done before any
    /// program starts, so that none has to take in a changed keyboard.
    bool mapKeysFor(const std::vector<std::string> &words)
    {
        int minCode = 0;
        int maxCode = 0;
        XDisplayKeycodes(m_display, &minCode, &maxCode);
        int perCode = 0;
        KeySym *map = XGetKeyboardMapping(m_display, KeyCode(minCode), maxCode - minCode + 1, &perCode);
        if (!map)
            return false;
        std::vector<KeyCode> unused;
        for (int code = maxCode; code >= minCode; --code) {
            const KeySym *syms = map + (code - minCode) * perCode;
            if (std::all_of(syms, syms + perCode, [](KeySym sym) { return sym == NoSymbol; }))
                unused.push_back(KeyCode(code));
        }
        XFree(map);
        for (const std::string &word : words) {
            for (char32_t point : codePoints(word)) {
                KeySym sym = keySymFor(point);
                if (XKeysymToKeycode(m_display, sym))
                    continue;
                if (unused.empty())
                    return false;
                KeySym both[2] = {sym, sym};
                XChangeKeyboardMapping(m_display, unused.back(), 2, both, 1);
                unused.pop_back();
                XSync(m_display, False);
            }
        }
        return true;
    }

    /// Waits until the window manager manages new windows: it announces
    /// itself a little before, and a window mapped in between stays
    /// unmanaged for good. A window of the probe's own is mapped until the
    /// manager lists it.
    bool waitForWindowManager()
    {
        const Window own = XCreateSimpleWindow(m_display, m_root, 0, 0, 10, 10, 0, 0, 0);
        XMapWindow(m_display, own);
        XFlush(m_display);
        const bool managed = waitFor([&] { return isManaged(own); });
        XDestroyWindow(m_display, own);
        XFlush(m_display);
        waitFor([&] { return !isManaged(own); });
        return managed;
    }

    /// The managed top-level windows of process @p pid, oldest first.
    std::vector<Window> clientsOf(pid_t pid)
    {
        std::vector<Window> found;
        for (Window window : clients()) {
            if (pidOf(window) == pid)
                found.push_back(window);
        }
        return found;
    }

    /// Whether @p window is still a managed top-level window.
    bool isManaged(Window window)
    {
        const std::vector<Window> all = clients();
        return std::find(all.begin(), all.end(), window) != all.end();
    }

    /// The focused top-level window, or 0.
    Window activeWindow()
    {
        const std::vector<unsigned long> values = property(m_root, m_activeAtom, XA_WINDOW, 1);
        return values.empty() ? 0 : Window(values.front());
    }

    pid_t pidOf(Window window)
    {
        const std::vector<unsigned long> values = property(window, m_pidAtom, XA_CARDINAL, 1);
        return values.empty() ? -1 : pid_t(values.front());
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

    std::vector<Window> clients()
    {
        const std::vector<unsigned long> values = property(m_root, m_clientListAtom, XA_WINDOW, 4096);
        return {values.begin(), values.end()};
    }

    // A property of 32-bit items, which Xlib hands out as longs.
    std::vector<unsigned long> property(Window window, Atom name, Atom wanted, long length)
    {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char *data = nullptr;
        std::vector<unsigned long> values;
        if (XGetWindowProperty(m_display, window, name, 0, length, False, wanted, &type, &format, &count, &after,
                               &data) == Success &&
            data && format == 32) {
            const auto *items = reinterpret_cast<const unsigned long *>(data);
            values.assign(items, items + count);
        }
        if (data)
            XFree(data);
        return values;
    }

    void pump(long long timeoutMs)
    {
        if (!XPending(m_display) && timeoutMs > 0) {
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
    Atom m_pidAtom = 0;
    Atom m_utf8Atom = 0;
    Pace m_pace = kHandPace;
    bool m_trace = false;
    std::vector<Damage> m_damage;
};

enum class Kind {
    Prompt,     // a click on the picture opens a prompt; a found word shows a box
    SearchLine, // a search line has the focus; Enter shows the result in the main window
};

struct Subject
{
    Kind kind = Kind::Prompt;
    std::string label;
    std::string command;
};

// One run of the program under test.
class Program
{
public:
    Program(Desktop &desktop, const Subject &subject) : m_desktop(desktop), m_subject(subject)
    {
        desktop.forgetDamage();
        const Clock::time_point started = Clock::now();
        m_pid = fork();
        if (m_pid == 0) {
            execl("/bin/sh", "sh", "-c", subject.command.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        // The program's first managed window is its main window. Another
        // program's window that is still on its way out is never taken for it.
        desktop.waitFor([&] {
            const std::vector<Window> own = desktop.clientsOf(m_pid);
            m_main = own.empty() ? 0 : own.front();
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
        // The window manager lets the window go a little after the program;
        // wait for that, not for another window to become the active one: with
        // no window left, the manager keeps naming the dead one as active.
        if (m_main)
            m_desktop.waitFor([this] { return !m_desktop.isManaged(m_main); });
    }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    [[nodiscard]] bool isShown() const { return m_main != 0; }

    struct Lookup
    {
        double resultMs = NAN;  // Enter to the result drawn: the box, or the listing of a missing word
        double listingMs = NAN; // Enter on the box (OK) to the listing drawn
    };

    Lookup lookup(const std::string &word, bool found)
    {
        return m_subject.kind == Kind::Prompt ? promptLookup(word, found) : lineLookup(word);
    }

    /// Resident memory of the program, in MiB: all of it (VmRSS), or one
    /// kind (RssAnon, RssFile, RssShmem).
    [[nodiscard]] double residentMiB(const std::string &kind = "VmRSS") const
    {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind(kind + ":", 0) == 0)
                return std::strtod(line.c_str() + kind.size() + 1, nullptr) / 1024.0;
        }
        return NAN;
    }

    double startupMs = NAN;

private:
    /// One lookup of @p word as a user makes it in Lexorra: a click on the
    /// picture, the word typed into the prompt, Enter, and Enter again on the
    /// box if one comes.
    Lookup promptLookup(const std::string &word, bool found)
    {
        Lookup result;
        const Pace &pace = m_desktop.pace();
        // The window may still have moved since it was first shown.
        m_client = m_desktop.clientRect(m_main);
        // A click that comes while the last lookup's windows are still going
        // may be lost; a person clicks again.
        bool prompted = false;
        for (int click = 0; click < 3 && !prompted; ++click) {
            m_desktop.click(m_client.x + kImage1X, m_client.y + kImage1Y);
            prompted = m_desktop.waitForActive([](Window, const std::string &title) { return title == kPromptTitle; },
                                               std::chrono::seconds(3)) != 0;
        }
        if (!prompted) {
            std::fprintf(stderr, "window_probe: the prompt did not open after clicks at %d,%d\n",
                         m_client.x + kImage1X, m_client.y + kImage1Y);
            return result;
        }
        m_desktop.settle(pace.settle);
        m_desktop.type(word);
        m_desktop.settle(pace.settle);

        m_desktop.forgetDamage();
        Clock::time_point pressed = Clock::now();
        m_desktop.key(XK_Return);
        const Rect list{m_client.x + kList1.x, m_client.y + kList1.y, kList1.width, kList1.height};
        if (found) {
            // The box carries the headword as its title; a window that has
            // just gone has none.
            const Window box = m_desktop.waitForActive([this](Window window, const std::string &title) {
                return window != m_main && !title.empty() && title != kPromptTitle;
            });
            if (!box) {
                std::fprintf(stderr, "window_probe: no box for '%s'\n", word.c_str());
                return result;
            }
            result.resultMs = m_desktop.lastDrawingIn(m_desktop.clientRect(box), pressed);
            m_desktop.forgetDamage();
            pressed = Clock::now();
            m_desktop.key(XK_Return);
        }
        const double listingMs = m_desktop.lastDrawingIn(list, pressed);
        (found ? result.listingMs : result.resultMs) = listingMs;
        if (!m_desktop.waitForActive([this](Window window, const std::string &) { return window == m_main; })) {
            std::fprintf(stderr, "window_probe: the main window did not come back after '%s'\n", word.c_str());
            return Lookup{};
        }
        m_desktop.settle(pace.settle);
        return result;
    }

    /// One lookup of @p word in a search line that has the focus, with its
    /// text selected after each lookup: the word typed, Enter, and the result
    /// drawn anywhere in the main window.
    Lookup lineLookup(const std::string &word)
    {
        Lookup result;
        const Pace &pace = m_desktop.pace();
        m_client = m_desktop.clientRect(m_main);
        m_desktop.type(word);
        m_desktop.settle(pace.settle);
        m_desktop.forgetDamage();
        const Clock::time_point pressed = Clock::now();
        m_desktop.key(XK_Return);
        result.resultMs = m_desktop.lastDrawingIn(m_client, pressed);
        // The window's title names the word looked up: anything else means
        // the word did not reach the search line whole.
        if (m_desktop.title(m_main).rfind(word, 0) != 0) {
            std::fprintf(stderr, "window_probe: %s did not look up '%s' (title '%s')\n", m_subject.label.c_str(),
                         word.c_str(), m_desktop.title(m_main).c_str());
            return Lookup{};
        }
        m_desktop.settle(pace.settle);
        return result;
    }

    Desktop &m_desktop;
    const Subject &m_subject;
    pid_t m_pid = -1;
    Window m_main = 0;
    Rect m_client;
};

// What one subject gave over all rounds.
struct Figures
{
    std::vector<double> startup;
    std::vector<double> firstLookup;
    std::vector<double> found;
    std::vector<double> listingAfterOk;
    std::vector<double> missing;
    std::vector<double> afterTenMiB;
};

constexpr int kLookupsPerRound = 10;

// A fresh start and ten lookups: found, missing, found, ...; the first is
// the first lookup after start.
bool runRound(Desktop &desktop, const Subject &subject, const std::string &foundWord, const std::string &missingWord,
              Figures &figures)
{
    Program program(desktop, subject);
    if (!program.isShown()) {
        std::fprintf(stderr, "window_probe: the main window of %s did not appear\n", subject.label.c_str());
        return false;
    }
    figures.startup.push_back(program.startupMs);
    for (int lookup = 0; lookup < kLookupsPerRound; ++lookup) {
        const bool found = lookup % 2 == 0;
        const Program::Lookup result = program.lookup(found ? foundWord : missingWord, found);
        if (lookup == 0) {
            figures.firstLookup.push_back(result.resultMs);
        } else if (found) {
            figures.found.push_back(result.resultMs);
            figures.listingAfterOk.push_back(result.listingMs);
        } else {
            figures.missing.push_back(result.resultMs);
        }
    }
    figures.afterTenMiB.push_back(program.residentMiB());
    return true;
}

void printTable(const std::vector<Subject> &subjects, const std::vector<Figures> &figures)
{
    struct Row
    {
        const char *what;
        std::vector<double> Figures::*samples;
        const char *unit;
    };
    const Row rows[] = {
        {"start to main window drawn", &Figures::startup, "ms"},
        {"first lookup after start: Enter to result", &Figures::firstLookup, "ms"},
        {"found word: Enter to result drawn", &Figures::found, "ms"},
        {"OK on the box to listing drawn", &Figures::listingAfterOk, "ms"},
        {"missing word: Enter to result drawn", &Figures::missing, "ms"},
        {"resident memory after 10 lookups", &Figures::afterTenMiB, "MiB"},
    };
    std::printf("\n%-44s", "median (min-max, samples)");
    for (const Subject &subject : subjects)
        std::printf(" %26s", subject.label.c_str());
    for (std::size_t i = 1; i < subjects.size(); ++i)
        std::printf("  %s/%s", subjects.front().label.c_str(), subjects[i].label.c_str());
    std::printf("\n");
    for (const Row &row : rows) {
        std::printf("%-40s %-3s", row.what, row.unit);
        std::vector<double> medians;
        for (const Figures &each : figures) {
            std::vector<double> measured;
            std::copy_if((each.*row.samples).begin(), (each.*row.samples).end(), std::back_inserter(measured),
                         [](double value) { return !std::isnan(value); });
            medians.push_back(median(measured));
            char cell[64] = "-";
            if (!measured.empty())
                std::snprintf(cell, sizeof cell, "%.1f (%.1f-%.1f, %zu)", medians.back(),
                              *std::min_element(measured.begin(), measured.end()),
                              *std::max_element(measured.begin(), measured.end()), measured.size());
            std::printf(" %26s", cell);
        }
        for (std::size_t i = 1; i < medians.size(); ++i) {
            const int width = static_cast<int>(subjects.front().label.size() + subjects[i].label.size() + 1);
            if (std::isnan(medians.front()) || std::isnan(medians[i]))
                std::printf("  %*s", width, "-");
            else
                std::printf("  %*.2f", width, medians.front() / medians[i]);
        }
        std::printf("\n");
    }
}

void printMemory(const std::string &when, const Program &program, const std::vector<double> &baseline)
{
    static const char *const kinds[] = {"VmRSS", "RssAnon", "RssFile", "RssShmem"};
    std::printf("%-20s", when.c_str());
    for (std::size_t i = 0; i < std::size(kinds); ++i) {
        const double mib = program.residentMiB(kinds[i]);
        std::printf("  %8.2f %+6.2f", mib, mib - baseline[i]);
    }
    std::printf("\n");
    std::fflush(stdout);
}

int soak(Desktop &desktop, const Subject &subject, const std::string &foundWord, const std::string &missingWord,
         int lookups)
{
    desktop.setPace(kSoakPace);
    Program program(desktop, subject);
    if (!program.isShown()) {
        std::fprintf(stderr, "window_probe: the main window did not appear\n");
        return 1;
    }
    int failed = 0;
    const auto lookUp = [&](int index) {
        const bool found = index % 2 == 0;
        const Program::Lookup result = program.lookup(found ? foundWord : missingWord, found);
        failed += std::isnan(result.resultMs) ? 1 : 0;
    };
    for (int i = 0; i < kLookupsPerRound; ++i)
        lookUp(i);
    const std::vector<double> baseline = {program.residentMiB("VmRSS"), program.residentMiB("RssAnon"),
                                          program.residentMiB("RssFile"), program.residentMiB("RssShmem")};
    std::printf("resident memory in MiB over %d lookups after the first %d (found and missing in turn),\n"
                "and its growth since the first %d\n%-20s  %15s  %15s  %15s  %15s\n",
                lookups, kLookupsPerRound, kLookupsPerRound, "", "all", "anonymous", "files", "shared");
    printMemory("after 10 lookups", program, baseline);
    const int every = std::max(1, lookups / 10);
    for (int i = 1; i <= lookups; ++i) {
        lookUp(i);
        if (i % every == 0 || i == lookups)
            printMemory("after " + std::to_string(kLookupsPerRound + i) + " lookups", program, baseline);
    }
    if (failed > 0)
        std::printf("%d lookups did not complete\n", failed);
    return failed > 0 ? 1 : 0;
}

int usage(const char *name)
{
    std::fprintf(stderr,
                 "usage: %s [--rounds N | --soak N] [--trace] FOUND_WORD MISSING_WORD "
                 "(--lexorra LABEL COMMAND | --peer LABEL COMMAND)...\n",
                 name);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    int rounds = 15;
    int soakLookups = 0;
    bool trace = false;
    std::vector<std::string> words;
    std::vector<Subject> subjects;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--trace") {
            trace = true;
        } else if ((arg == "--rounds" || arg == "--soak") && i + 1 < argc) {
            (arg == "--rounds" ? rounds : soakLookups) = std::max(1, std::atoi(argv[++i]));
        } else if ((arg == "--lexorra" || arg == "--peer") && i + 2 < argc) {
            subjects.push_back({arg == "--lexorra" ? Kind::Prompt : Kind::SearchLine, argv[i + 1], argv[i + 2]});
            i += 2;
        } else {
            words.push_back(arg);
        }
    }
    if (words.size() != 2 || subjects.empty() || (soakLookups > 0 && subjects.size() != 1))
        return usage(argv[0]);
    const std::string &foundWord = words[0];
    const std::string &missingWord = words[1];

    Desktop desktop;
    if (!desktop.isOpen()) {
        std::fprintf(stderr, "window_probe: no X display with the DAMAGE and XTEST extensions\n");
        return 1;
    }
    desktop.setTrace(trace);
    if (!desktop.waitForWindowManager()) {
        std::fprintf(stderr, "window_probe: the window manager does not manage new windows\n");
        return 1;
    }
    if (!desktop.mapKeysFor(words)) {
        std::fprintf(stderr, "window_probe: no free key for a character of '%s' or '%s'\n", foundWord.c_str(),
                     missingWord.c_str());
        return 1;
    }
    if (soakLookups > 0)
        return soak(desktop, subjects.front(), foundWord, missingWord, soakLookups);

    // Interleaved: each round runs every subject once, the first of them in
    // turn, so that a slow spell of the machine falls on all of them alike.
    std::vector<Figures> figures(subjects.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < subjects.size(); ++k) {
            const std::size_t index = (round + k) % subjects.size();
            if (!runRound(desktop, subjects[index], foundWord, missingWord, figures[index]))
                return 1;
        }
        std::fprintf(stderr, "window_probe: round %d of %d done\n", round + 1, rounds);
    }
    printTable(subjects, figures);
    return 0;
}
