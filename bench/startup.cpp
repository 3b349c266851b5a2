// Start-up under a real X server: from the moment a program is started to the moment its
// window is mapped, and the peak resident memory it has reached by then, for Lintavo and for
// a bare Qt window side by side, the runs interleaved so that both see the same machine.
//
//   startup RUNS PROGRAM TITLE [PROGRAM TITLE …]     (under xvfb-run)
//
// Prints each program's median, minimum and maximum, and the first one's ratio to each of
// the others (the bare windows).

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
    long peakKiB;       // VmHWM: the peak of everything resident
    long anonymousKiB;  // RssAnon: the process's own memory, now
    long fileKiB;       // RssFile: pages of mapped files (libraries, fonts), shared with others
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
    const Sample sample{milliseconds, statusKiB(pid, "VmHWM:"), statusKiB(pid, "RssAnon:"),
                        statusKiB(pid, "RssFile:")};
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return sample;
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

    std::printf("%-12s %10s %8s %8s %14s %14s %14s\n", "program", "median ms", "min", "max",
                "peak RSS KiB", "anonymous KiB", "file KiB");
    std::vector<double> medians;
    std::vector<long> peaks;
    std::vector<long> anonymous;
    for (const auto& p : programs) {
        std::vector<double> times;
        std::vector<long> peak;
        std::vector<long> own;
        std::vector<long> file;
        for (const auto& s : p.samples) {
            times.push_back(s.milliseconds);
            peak.push_back(s.peakKiB);
            own.push_back(s.anonymousKiB);
            file.push_back(s.fileKiB);
        }
        medians.push_back(median(times));
        peaks.push_back(median(peak));
        anonymous.push_back(median(own));
        std::printf("%-12s %10.1f %8.1f %8.1f %14ld %14ld %14ld\n", p.title.c_str(), medians.back(),
                    *std::min_element(times.begin(), times.end()),
                    *std::max_element(times.begin(), times.end()), peaks.back(), anonymous.back(),
                    median(file));
    }
    const auto ratio = [](long a, long b) {
        return static_cast<double>(a) / static_cast<double>(b);
    };
    for (std::size_t j = 1; j < programs.size(); ++j) {
        std::printf("%s / %s: start-up %.2f×, peak resident memory %.2f×, anonymous memory %.2f×\n",
                    programs[0].title.c_str(), programs[j].title.c_str(), medians[0] / medians[j],
                    ratio(peaks[0], peaks[j]), ratio(anonymous[0], anonymous[j]));
    }
    xcb_disconnect(x);
    return 0;
}
