// Starts a program and reports how long it took, from exec to its first
// top-level window being mapped on the X server: start-up as a user sees it.
//   map_wait [--timeout SECONDS] -- program [args...]
// Prints "<milliseconds> <pid>" and leaves the program running.

#include <xcb/xcb.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>

int main(int argc, char** argv) {
    double timeout = 30.0;
    int first = 1;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "--timeout") == 0 && first + 1 < argc)
            timeout = std::atof(argv[++first]);
        else if (std::strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        }
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: map_wait [--timeout SECONDS] -- program [args...]\n");
        return 2;
    }

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "map_wait: cannot open the display\n");
        return 1;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        // The program must not hold our standard output open after we report.
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(argv[first], argv + first);
        std::perror("map_wait: exec");
        _exit(127);
    }

    pollfd watch{xcb_get_file_descriptor(connection), POLLIN, 0};
    for (;;) {
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (elapsed > timeout) {
            std::fprintf(stderr, "map_wait: no window after %.0f s\n", timeout);
            return 1;
        }
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                          !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
            std::free(event);
            if (mapped) {
                double ms =
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                        .count();
                std::printf("%.1f %d\n", ms, static_cast<int>(child));
                return 0;
            }
        }
        if (xcb_connection_has_error(connection))
            return 1;
        poll(&watch, 1, 50);
    }
}
