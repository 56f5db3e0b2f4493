// How long Kolvart takes to put its window on the screen, and how much memory
// it takes to get there, beside startup_floor: the same window in a bare Qt
// Widgets program.
//
// The benchmark starts an Xvfb server of its own on a free display
// (-displayfd) and watches the server's root window over xcb:
// SubstructureNotify reports every top-level window the program creates and
// maps, and a DAMAGE object on each new top-level window reports the first
// drawing into it. For every run it takes the monotonic time just before
// fork and exec, then
//   mapped:  the MapNotify of the program's top-level window, and
//   painted: the first damage of that window after the map: the program's
//            first paint arriving at the server. Qt paints a window only
//            once the server has exposed it, and gives it no background for
//            the server to paint, so this is Qt's own drawing (a run with
//            --verbose shows one damage of the whole window a few
//            milliseconds after the map).
// Then it stops the program with SIGTERM, at once or --settle milliseconds
// later, and takes its peak resident set size (ru_maxrss from wait4): by
// default the peak up to the first paint. Before the next run it waits until
// the server has destroyed the window. Every run checks that the mapped
// window carries the program's pid (_NET_WM_PID).
//
// The two programs run alternately, a few warm-up runs each first, then N
// measured runs each, on the same server. The summary gives median and mean
// of both times and of the peak RSS, and the ratios kolvart / floor. Nothing
// here judges the figures.
//
//   startup_bench [--runs N] [--warmup N] [--program PATH] [--floor PATH]
//                 [--xvfb PATH] [--settle MS] [--verbose]

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock; // CLOCK_MONOTONIC
using Millis = std::chrono::duration<double, std::milli>;

constexpr auto windowTimeout = std::chrono::seconds(30);  // for the window to be painted
constexpr auto paintTimeout = std::chrono::seconds(5);    // from the map to the first paint
constexpr auto cleanupTimeout = std::chrono::seconds(10); // for the program to end and its window
constexpr std::string_view windowTitle = "Berekenen van luchtspoeltjes";

[[noreturn]] void fail(const std::string& message) {
    throw std::runtime_error(message);
}

std::string errnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

struct Options {
    int runs = 30;
    int warmup = 3;
    std::string program = KOLVART_STARTUP_PROGRAM;
    std::string floor = KOLVART_STARTUP_FLOOR;
    std::string xvfb = "Xvfb";
    int settleMs = 0;
    bool verbose = false;
};

void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: startup_bench [--runs N] [--warmup N] [--program PATH] [--floor PATH]\n"
                 "                     [--xvfb PATH] [--settle MS] [--verbose]\n"
                 "  --runs N        measured runs of each program (default 30)\n"
                 "  --warmup N      unmeasured runs of each program first (default 3)\n"
                 "  --program PATH  the program (default %s)\n"
                 "  --floor PATH    the floor (default %s)\n"
                 "  --xvfb PATH     the X server to start (default Xvfb from PATH)\n"
                 "  --settle MS     let the program run MS milliseconds after its first paint\n"
                 "                  before stopping it, for the memory of later work (default 0)\n"
                 "  --verbose       every run, every damage report, and the programs' output\n",
                 KOLVART_STARTUP_PROGRAM, KOLVART_STARTUP_FLOOR);
}

Options parseOptions(int argc, char* argv[]) {
    Options options;
    const auto count = [](const char* text, int least) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end == text || *end != '\0' || value < least || value > 100000)
            fail(std::string("not a valid count: ") + text);
        return static_cast<int>(value);
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                fail(std::string(arg) + " needs a value");
            return argv[++i];
        };
        if (arg == "--runs")
            options.runs = count(value(), 1);
        else if (arg == "--warmup")
            options.warmup = count(value(), 0);
        else if (arg == "--program")
            options.program = value();
        else if (arg == "--floor")
            options.floor = value();
        else if (arg == "--xvfb")
            options.xvfb = value();
        else if (arg == "--settle")
            options.settleMs = count(value(), 0);
        else if (arg == "--verbose")
            options.verbose = true;
        else if (arg == "--help" || arg == "-h") {
            usage(stdout);
            std::exit(0);
        } else {
            usage(stderr);
            fail("unknown argument: " + std::string(arg));
        }
    }
    return options;
}

// A child process that is stopped and reaped when this object goes; it also
// gets SIGTERM should the benchmark die first.
class Child {
public:
    // Starts path with argv and envp; output goes to /dev/null unless shown.
    Child(const std::vector<std::string>& argv, char* const* envp, bool showOutput,
          int keepFd = -1) {
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ < 0)
            fail(errnoText("fork"));
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(127);
            if (!showOutput) {
                const int null = open("/dev/null", O_WRONLY);
                dup2(null, STDOUT_FILENO);
                dup2(null, STDERR_FILENO);
            }
            if (keepFd >= 0)
                fcntl(keepFd, F_SETFD, 0);
            execvpe(args[0], args.data(), envp);
            _exit(127);
        }
    }
    ~Child() {
        if (pid_ > 0) {
            try {
                stop(std::chrono::seconds(5));
            } catch (...) {
                // Nothing more to do while tearing down.
            }
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }

    // The exit status and resource use, if the child has already ended.
    std::optional<std::pair<int, rusage>> poll() {
        int status = 0;
        rusage usage{};
        const pid_t done = wait4(pid_, &status, WNOHANG, &usage);
        if (done != pid_)
            return std::nullopt;
        pid_ = -1;
        return std::pair{status, usage};
    }

    // SIGTERM, then SIGKILL after the grace period; returns the resource use.
    rusage stop(Clock::duration grace) {
        if (pid_ <= 0)
            fail("the process has already been reaped");
        kill(pid_, SIGTERM);
        const Clock::time_point deadline = Clock::now() + grace;
        for (;;) {
            int status = 0;
            rusage usage{};
            const pid_t done = wait4(pid_, &status, WNOHANG, &usage);
            if (done == pid_) {
                pid_ = -1;
                return usage;
            }
            if (done < 0)
                fail(errnoText("wait4"));
            if (Clock::now() > deadline) {
                kill(pid_, SIGKILL);
                if (wait4(pid_, &status, 0, &usage) == pid_) {
                    pid_ = -1;
                    return usage;
                }
                fail(errnoText("wait4"));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    pid_t pid_ = -1;
};

// An Xvfb server of our own on the first free display.
class XServer {
public:
    XServer(const std::string& xvfb, bool showOutput) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            fail(errnoText("pipe2"));
        const std::vector<std::string> argv{xvfb,        "-displayfd", std::to_string(fds[1]),
                                            "-screen",   "0",          "1024x768x24",
                                            "-nolisten", "tcp",        "-noreset"};
        try {
            server_ = std::make_unique<Child>(argv, environ, showOutput, fds[1]);
        } catch (...) {
            close(fds[0]);
            close(fds[1]);
            throw;
        }
        close(fds[1]);
        // Xvfb writes the display number once it accepts connections.
        std::string number;
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(30);
        for (;;) {
            pollfd pfd{fds[0], POLLIN, 0};
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
                break;
            char c = 0;
            const ssize_t n = read(fds[0], &c, 1);
            if (n <= 0 || c == '\n')
                break;
            number += c;
        }
        close(fds[0]);
        if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
            fail("cannot start the X server '" + xvfb +
                 "' (Debian package xvfb); try --verbose for its output");
        display_ = ":" + number;
    }

    const std::string& display() const { return display_; }

private:
    std::unique_ptr<Child> server_;
    std::string display_;
};

struct Sample {
    double mappedMs = NAN;
    double paintedMs = NAN;
    double peakRssKiB = NAN;
};

// The xcb connection that watches the top-level windows of the display.
class Watcher {
public:
    Watcher(const std::string& display, bool verbose)
        : verbose_(verbose) {
        connection_ = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection_))
            fail("cannot connect to the X server " + display);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;

        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_generic_error_t* error = xcb_request_check(
            connection_,
            xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask));
        if (error) {
            std::free(error);
            fail("cannot watch the root window of " + display);
        }

        const xcb_query_extension_reply_t* damage =
            xcb_get_extension_data(connection_, &xcb_damage_id);
        if (!damage || !damage->present)
            fail("the X server " + display + " has no DAMAGE extension");
        damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        std::free(xcb_damage_query_version_reply(connection_,
                                                 xcb_damage_query_version(connection_,
                                                                          XCB_DAMAGE_MAJOR_VERSION,
                                                                          XCB_DAMAGE_MINOR_VERSION),
                                                 nullptr));

        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr);
        if (!atom)
            fail("cannot intern _NET_WM_PID");
        pidAtom_ = atom->atom;
        std::free(atom);
    }
    ~Watcher() { xcb_disconnect(connection_); }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // One start of the program: the times of its map and first paint, and
    // its peak memory.
    Sample measure(const std::string& path, char* const* envp, std::chrono::milliseconds settle) {
        drain();
        Sample sample;
        const Clock::time_point start = Clock::now();
        Child program({path}, envp, verbose_);

        xcb_window_t window = XCB_NONE;
        std::set<xcb_window_t> created;
        std::optional<Clock::time_point> mapped;
        Clock::time_point deadline = start + windowTimeout;
        bool painted = false;
        while (!painted) {
            xcb_generic_event_t* event = next(deadline);
            const Clock::time_point now = Clock::now();
            if (!event || now >= deadline) {
                std::free(event);
                if (auto ended = program.poll())
                    fail(path + " ended (status " + std::to_string(ended->first) +
                         ") before its window was painted");
                if (now < deadline)
                    continue;
                if (mapped) {
                    if (verbose_)
                        std::printf("    no paint seen within %lld s of the map\n",
                                    static_cast<long long>(paintTimeout.count()));
                    break; // the paint slipped past the damage object: map time only
                }
                fail(path + " showed no window within " + std::to_string(windowTimeout.count()) +
                     " s");
            }
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* create = reinterpret_cast<xcb_create_notify_event_t*>(event);
                if (create->parent == root_ && !create->override_redirect) {
                    // Watch every new top-level window from its creation on, so
                    // that no drawing after its map can come before the watch.
                    xcb_damage_create(connection_, xcb_generate_id(connection_), create->window,
                                      XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                    xcb_flush(connection_);
                    created.insert(create->window);
                }
            } else if (type == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (!mapped && map->event == root_ && !map->override_redirect) {
                    mapped = now;
                    window = map->window;
                    sample.mappedMs = Millis(now - start).count();
                    deadline = now + paintTimeout;
                    if (!created.contains(window) && verbose_)
                        std::printf("    window 0x%x mapped without a CreateNotify\n", window);
                }
            } else if (type == damageEvent_) {
                const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event);
                if (verbose_)
                    std::printf("    %8.3f ms damage 0x%x %dx%d+%d+%d\n",
                                Millis(now - start).count(), damage->drawable, damage->area.width,
                                damage->area.height, damage->area.x, damage->area.y);
                if (mapped && damage->drawable == window) {
                    sample.paintedMs = Millis(now - start).count();
                    painted = true;
                }
            } else if (type == 0 && verbose_) {
                // Mostly a window that went before its damage object came.
                const auto* error = reinterpret_cast<xcb_generic_error_t*>(event);
                std::printf("    X error %d on 0x%x\n", error->error_code, error->resource_id);
            }
            std::free(event);
        }

        const std::optional<pid_t> owner = windowPid(window);
        if (owner != program.pid()) {
            if (auto ended = program.poll())
                fail(path + " ended (status " + std::to_string(ended->first) +
                     ") right after it showed its window");
            fail("the window that " + path + " mapped does not carry its pid");
        }
        if (settle.count() > 0)
            std::this_thread::sleep_for(settle);
        const rusage usage = program.stop(cleanupTimeout);
        sample.peakRssKiB = static_cast<double>(usage.ru_maxrss);
        waitForDestroy(window);
        return sample;
    }

private:
    // The next event, or null when none came before the deadline (or within
    // a short while, so that the caller can look after the program).
    xcb_generic_event_t* next(Clock::time_point deadline) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            return event;
        if (xcb_connection_has_error(connection_))
            fail("lost the connection to the X server");
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int wait = static_cast<int>(std::clamp<long long>(left.count(), 0, 50));
        pollfd pfd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&pfd, 1, wait);
        return xcb_poll_for_event(connection_);
    }

    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            std::free(event);
    }

    std::optional<pid_t> windowPid(xcb_window_t window) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        std::optional<pid_t> pid;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4) {
            uint32_t value = 0;
            std::memcpy(&value, xcb_get_property_value(reply), sizeof value);
            pid = static_cast<pid_t>(value);
        }
        std::free(reply);
        return pid;
    }

    // The server has let go of the program's window: the next run starts on
    // a quiet server.
    void waitForDestroy(xcb_window_t window) {
        const Clock::time_point deadline = Clock::now() + cleanupTimeout;
        while (Clock::now() < deadline) {
            xcb_generic_event_t* event = next(deadline);
            if (!event)
                continue;
            const bool gone =
                (event->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
                reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == window;
            std::free(event);
            if (gone)
                return;
        }
        fail("the X server kept the window of an ended program");
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_atom_t pidAtom_ = XCB_NONE;
    uint8_t damageEvent_ = 0;
    bool verbose_ = false;
};

// The environment of the programs: ours, on the benchmark's display, on xcb.
class Environment {
public:
    explicit Environment(const std::string& display) {
        for (char** entry = environ; *entry; ++entry) {
            const std::string_view text = *entry;
            if (!text.starts_with("DISPLAY=") && !text.starts_with("QT_QPA_PLATFORM="))
                strings_.emplace_back(text);
        }
        strings_.push_back("DISPLAY=" + display);
        strings_.emplace_back("QT_QPA_PLATFORM=xcb");
        for (std::string& text : strings_)
            pointers_.push_back(text.data());
        pointers_.push_back(nullptr);
    }
    char* const* envp() { return pointers_.data(); }

private:
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
};

struct Summary {
    double median = NAN;
    double mean = NAN;
    double min = NAN;
    double max = NAN;
    std::size_t count = 0;
};

Summary summarise(const std::vector<Sample>& samples, double Sample::*field) {
    std::vector<double> values;
    for (const Sample& sample : samples)
        if (!std::isnan(sample.*field))
            values.push_back(sample.*field);
    Summary summary;
    summary.count = values.size();
    if (values.empty())
        return summary;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    summary.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    summary.mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n);
    summary.min = values.front();
    summary.max = values.back();
    return summary;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void printRow(int width, const char* name, const Summary& mapped, const Summary& painted,
              const Summary& rss) {
    std::printf("  %-*s %8.2f %8.2f %8.2f   %8.2f %8.2f %8.2f   %8.2f %8.2f %8.2f\n", width, name,
                mapped.median, mapped.mean, mapped.min, painted.median, painted.mean, painted.min,
                rss.median / 1024, rss.mean / 1024, rss.max / 1024);
}

int run(const Options& options) {
    for (const std::string* path : {&options.program, &options.floor})
        if (access(path->c_str(), X_OK) != 0)
            fail("cannot run " + *path);

    XServer server(options.xvfb, options.verbose);
    Watcher watcher(server.display(), options.verbose);
    Environment environment(server.display());

    const std::string programName = baseName(options.program);
    const std::string floorName = baseName(options.floor);
    std::vector<Sample> program;
    std::vector<Sample> floor;
    const int total = options.warmup + options.runs;
    for (int i = 0; i < total; ++i) {
        const bool warm = i >= options.warmup;
        const std::chrono::milliseconds settle(options.settleMs);
        const Sample p = watcher.measure(options.program, environment.envp(), settle);
        const Sample f = watcher.measure(options.floor, environment.envp(), settle);
        if (options.verbose)
            std::printf("%s %2d  %s map %.2f paint %.2f rss %.0f KiB   %s map %.2f paint %.2f "
                        "rss %.0f KiB\n",
                        warm ? "run   " : "warmup", warm ? i - options.warmup + 1 : i + 1,
                        programName.c_str(), p.mappedMs, p.paintedMs, p.peakRssKiB,
                        floorName.c_str(), f.mappedMs, f.paintedMs, f.peakRssKiB);
        if (warm) {
            program.push_back(p);
            floor.push_back(f);
        }
    }

    const Summary pMap = summarise(program, &Sample::mappedMs);
    const Summary pPaint = summarise(program, &Sample::paintedMs);
    const Summary pRss = summarise(program, &Sample::peakRssKiB);
    const Summary fMap = summarise(floor, &Sample::mappedMs);
    const Summary fPaint = summarise(floor, &Sample::paintedMs);
    const Summary fRss = summarise(floor, &Sample::peakRssKiB);

    std::printf("startup_bench: %d runs of each program, alternating, after %d warm-up runs "
                "each, on Xvfb %s\n",
                options.runs, options.warmup, server.display().c_str());
    std::printf("  times from just before fork/exec to the window's MapNotify (mapped) and to its "
                "first paint (painted, DAMAGE);\n  peak RSS (ru_maxrss) until SIGTERM, %d ms after "
                "the first paint\n",
                options.settleMs);
    const int width =
        static_cast<int>(std::max({std::size_t{14}, programName.size(), floorName.size()}));
    std::printf("  %-*s %26s   %26s   %26s\n", width, "", "mapped (ms)", "painted (ms)",
                "peak RSS (MiB)");
    std::printf("  %-*s %8s %8s %8s   %8s %8s %8s   %8s %8s %8s\n", width, "", "median", "mean",
                "min", "median", "mean", "min", "median", "mean", "max");
    printRow(width, programName.c_str(), pMap, pPaint, pRss);
    printRow(width, floorName.c_str(), fMap, fPaint, fRss);
    std::printf("  %-*s %8.3f %8.3f %8s   %8.3f %8.3f %8s   %8.3f %8.3f %8s\n", width, "ratio",
                pMap.median / fMap.median, pMap.mean / fMap.mean, "", pPaint.median / fPaint.median,
                pPaint.mean / fPaint.mean, "", pRss.median / fRss.median, pRss.mean / fRss.mean,
                "");
    if (pPaint.count < program.size() || fPaint.count < floor.size())
        std::printf("  first paint not seen in %zu runs of %s and %zu of %s (map times only)\n",
                    program.size() - pPaint.count, programName.c_str(), floor.size() - fPaint.count,
                    floorName.c_str());
    std::printf("startup ratio %s/%s: painted %.3f (median) %.3f (mean), mapped %.3f (median), "
                "peak RSS %.3f (median)\n",
                programName.c_str(), floorName.c_str(), pPaint.median / fPaint.median,
                pPaint.mean / fPaint.mean, pMap.median / fMap.median, pRss.median / fRss.median);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    try {
        const Options options = parseOptions(argc, argv);
        return run(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "startup_bench: %s\n", error.what());
        return 1;
    }
}
