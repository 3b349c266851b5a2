// Start-up under a real X server: from the moment a program is started to the moment its
// window is mapped, and the peak resident memory it has reached by then, for Lintavo and for
// a bare Qt window side by side, the runs interleaved so that both see the same machine.
//
//   startup RUNS PROGRAM TITLE [PROGRAM TITLE …]     (under xvfb-run)
//
// Prints each program's median, minimum and maximum, and each one's ratio to the last, the
// bare window.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t atom(xcb_connection_t* x, const char* name) {
    auto* reply = xcb_intern_atom_reply(
        x, xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

std::string windowName(xcb_connection_t* x, xcb_window_t w, xcb_atom_t property, xcb_atom_t type) {
    auto* reply =
        xcb_get_property_reply(x, xcb_get_property(x, 0, w, property, type, 0, 1024), nullptr);
    std::string name;
    if (reply != nullptr) {
        name.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
    }
    return name;
}

long statusKiB(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    }
    return -1;
}

struct Sample {
    double milliseconds;
    long peakKiB;
};

struct Program {
    std::string path;
    std::string title;
    std::vector<Sample> samples;
};

// Starts the program and waits for a top-level window with its title to be mapped.
Sample runOnce(xcb_connection_t* x, const Program& program) {
    static const xcb_atom_t netName = atom(x, "_NET_WM_NAME");
    static const xcb_atom_t utf8 = atom(x, "UTF8_STRING");
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execl(program.path.c_str(), program.path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    double milliseconds = -1;
    pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
    while (milliseconds < 0) {
        xcb_generic_event_t* event = xcb_poll_for_event(x);
        if (event == nullptr) {
            if (poll(&fd, 1, 20000) <= 0) break;
            continue;
        }
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (windowName(x, map->window, netName, utf8) == program.title ||
                windowName(x, map->window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING) == program.title) {
                milliseconds =
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            }
        }
        std::free(event);
    }
    usleep(300000);  // let it settle, then read how high its memory went
    const long peak = statusKiB(pid, "VmHWM:");
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return {milliseconds, peak};
}

template <typename T>
T median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: startup RUNS PROGRAM TITLE [PROGRAM TITLE …]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<Program> programs;
    for (int k = 2; k + 1 < argc; k += 2)
        programs.push_back({argv[k], argv[k + 1], {}});

    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "startup: no X server (run it under xvfb-run)\n");
        return 2;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    for (auto& p : programs)
        runOnce(x, p);  // a first start fills the caches for both
    for (int run = 0; run < runs; ++run) {
        for (auto& p : programs)
            p.samples.push_back(runOnce(x, p));
    }

    std::printf("%-28s %10s %8s %8s %12s\n", "program", "median ms", "min", "max", "peak RSS KiB");
    std::vector<double> medians;
    std::vector<long> peaks;
    for (const auto& p : programs) {
        std::vector<double> times;
        std::vector<long> memory;
        for (const auto& s : p.samples) {
            times.push_back(s.milliseconds);
            memory.push_back(s.peakKiB);
        }
        medians.push_back(median(times));
        peaks.push_back(median(memory));
        std::printf("%-28s %10.1f %8.1f %8.1f %12ld\n", p.title.c_str(), medians.back(),
                    *std::min_element(times.begin(), times.end()),
                    *std::max_element(times.begin(), times.end()), peaks.back());
    }
    for (std::size_t k = 0; k + 1 < programs.size(); ++k) {
        std::printf("%s / %s: start-up %.2f×, peak memory %.2f×\n", programs[k].title.c_str(),
                    programs.back().title.c_str(), medians[k] / medians.back(),
                    static_cast<double>(peaks[k]) / static_cast<double>(peaks.back()));
    }
    xcb_disconnect(x);
    return 0;
}
