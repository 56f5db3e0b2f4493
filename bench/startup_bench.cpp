// How long Kolvart takes to put its window on the screen, and how much memory
// it takes to get there, beside startup_floor: the same window in a bare Qt
// Widgets program. Both run alternately, warm-up runs first, on an Xvfb server
// of the benchmark's own, watched over xcb from its root window: each run
// takes, from just before the program starts, the MapNotify of its top-level
// window (mapped) and the first DAMAGE report of that window after the map
// (painted: Qt's first paint reaching the server; Qt gives the window no
// background for the server to paint), then stops it with SIGTERM and takes
// its peak resident set size (ru_maxrss). The summary gives the median of
// each figure and the ratios kolvart / floor. Nothing here judges them.
//
//   startup_bench [RUNS] [WARM-UP RUNS]   (default 30 3)

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

// A started program, with its output to /dev/null; stopped when this goes.
struct Process {
    explicit Process(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0)
            throw std::runtime_error("cannot start " + args[0]);
    }
    ~Process() {
        if (pid > 0)
            stop();
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Stops the program; gives its peak resident set size in KiB.
    double stop() {
        kill(pid, SIGTERM);
        rusage usage{};
        wait4(pid, nullptr, 0, &usage);
        pid = -1;
        return static_cast<double>(usage.ru_maxrss);
    }

    pid_t pid = -1;
};

using Sample = std::array<double, 3>; // ms to the map, ms to the first paint, peak KiB

struct Watcher {
    xcb_connection_t* x;
    xcb_window_t root;
    uint8_t damageNotify;

    // The next event, or null after a short wait without one.
    xcb_generic_event_t* next() const {
        if (xcb_connection_has_error(x))
            throw std::runtime_error("lost the connection to the X server");
        if (xcb_generic_event_t* event = xcb_poll_for_event(x))
            return event;
        pollfd ready{xcb_get_file_descriptor(x), POLLIN, 0};
        poll(&ready, 1, 50);
        return xcb_poll_for_event(x);
    }

    Sample measure(const std::string& path) const {
        using Clock = std::chrono::steady_clock;
        Sample sample{NAN, NAN, NAN};
        const Clock::time_point start = Clock::now();
        Process program({path});
        xcb_window_t window = XCB_NONE;
        Clock::time_point deadline = start + std::chrono::seconds(30);
        while (std::isnan(sample[1])) {
            xcb_generic_event_t* event = next();
            const Clock::time_point now = Clock::now();
            if (!event && waitpid(program.pid, nullptr, WNOHANG) == program.pid) {
                program.pid = -1;
                throw std::runtime_error(path + " ended before its window was painted");
            }
            if (!event && now > deadline && window == XCB_NONE)
                throw std::runtime_error(path + " showed no window within 30 s");
            if (!event && now > deadline)
                break; // no paint within 5 s of the map: the map time alone
            const uint8_t type = event ? event->response_type & 0x7f : 0;
            const auto* create = reinterpret_cast<xcb_create_notify_event_t*>(event);
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event);
            const double ms = std::chrono::duration<double, std::milli>(now - start).count();
            if (type == XCB_CREATE_NOTIFY && create->parent == root && !create->override_redirect) {
                // Watched from its creation, so that no drawing can come first.
                xcb_damage_create(x, xcb_generate_id(x), create->window,
                                  XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                xcb_flush(x);
            } else if (type == XCB_MAP_NOTIFY && window == XCB_NONE && map->event == root &&
                       !map->override_redirect) {
                window = map->window;
                sample[0] = ms;
                deadline = now + std::chrono::seconds(5);
            } else if (type == damageNotify && window != XCB_NONE && damage->drawable == window) {
                sample[1] = ms;
            }
            std::free(event);
        }
        sample[2] = program.stop();
        for (bool gone = false; !gone;) { // until the server has let go of the window
            xcb_generic_event_t* event = next();
            gone = event && (event->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
                   reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == window;
            std::free(event);
        }
        return sample;
    }
};

// The median of one figure over the runs that have it.
double median(const std::vector<Sample>& samples, int figure) {
    std::vector<double> values;
    for (const Sample& sample : samples)
        if (!std::isnan(sample[figure]))
            values.push_back(sample[figure]);
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? NAN : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void run(int runs, int warmup) {
    // Xvfb writes its display number to the pipe once it takes connections.
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("no pipe for the X server");
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const Process server({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                          "1024x768x24", "-nolisten", "tcp", "-noreset"});
    close(fds[1]);
    std::string display = ":";
    pollfd ready{fds[0], POLLIN, 0};
    for (char c = 0; poll(&ready, 1, 30000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n';)
        display += c;
    close(fds[0]);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    Watcher watcher{xcb_connect(display.c_str(), nullptr), XCB_NONE, 0};
    if (display.size() < 2 || xcb_connection_has_error(watcher.x))
        throw std::runtime_error("cannot start the X server Xvfb (Debian package xvfb)");
    watcher.root = xcb_setup_roots_iterator(xcb_get_setup(watcher.x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(watcher.x, watcher.root, XCB_CW_EVENT_MASK, &mask);
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(watcher.x, &xcb_damage_id);
    if (!damage || !damage->present)
        throw std::runtime_error("the X server has no DAMAGE extension");
    watcher.damageNotify = damage->first_event + XCB_DAMAGE_NOTIFY;
    std::free(xcb_damage_query_version_reply(watcher.x, xcb_damage_query_version(watcher.x, 1, 1),
                                             nullptr));

    std::vector<Sample> samples[2];
    for (int i = 0; i < warmup + runs; ++i) {
        const Sample program = watcher.measure(KOLVART_STARTUP_PROGRAM);
        const Sample floor = watcher.measure(KOLVART_STARTUP_FLOOR);
        if (i >= warmup) {
            samples[0].push_back(program);
            samples[1].push_back(floor);
        }
    }
    xcb_disconnect(watcher.x);

    std::printf("startup_bench: medians of %d runs of each program, alternating, after %d "
                "warm-up runs\n%-14s %12s %12s %15s\n",
                runs, warmup, "", "mapped (ms)", "painted (ms)", "peak RSS (MiB)");
    double ratio[3];
    for (int f = 0; f < 3; ++f)
        ratio[f] = median(samples[0], f) / median(samples[1], f);
    for (int p = 0; p < 2; ++p)
        std::printf("%-14s %12.2f %12.2f %15.2f\n", p == 0 ? "kolvart" : "startup_floor",
                    median(samples[p], 0), median(samples[p], 1), median(samples[p], 2) / 1024);
    std::printf("startup ratio kolvart/startup_floor: painted %.3f, mapped %.3f, peak RSS %.3f\n",
                ratio[1], ratio[0], ratio[2]);
}

} // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const int warmup = argc > 2 ? std::max(0, std::atoi(argv[2])) : 3;
    try {
        run(runs, warmup);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "startup_bench: %s\n", error.what());
        return 1;
    }
}
