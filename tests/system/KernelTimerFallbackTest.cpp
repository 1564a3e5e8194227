// The run loop where the kernel refuses timers: a seccomp filter makes
// timerfd_create (or timerfd_settime) fail for this whole process, as a
// sandbox without timerfd or a process out of file descriptors would. The run
// loop's own tests (QtRunLoopTest.cpp) run here, on the event loop's timers:
// a one-shot must still fire no earlier than its wall-clock date.
//   kernel_timer_fallback_tests create|settime [gtest options]

#include "tests/support/CapturedStderr.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace eggtimer::test {

// Every later call of `syscallNumber` fails with `error`.
bool refuseSyscall(long syscallNumber, int error) {
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(syscallNumber), 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog filter{static_cast<unsigned short>(std::size(program)), program};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

namespace {

// Whatever the tests run, the refusal is logged once in the whole run.
class RefusalLoggedOnce : public ::testing::Environment {
    void SetUp() override { captured = std::make_unique<CapturedStderr>(); }
    void TearDown() override {
        const std::string written = captured->text();
        captured.reset();
        const auto once = written.find("kernel timer");
        EXPECT_TRUE(once != std::string::npos && written.find("kernel timer", once + 1) == std::string::npos)
            << written;
        EXPECT_NE(written.find("[" + std::to_string(::getpid()) + "]: cannot "), std::string::npos)
            << written;
    }
    std::unique_ptr<CapturedStderr> captured;
};

} // namespace
} // namespace eggtimer::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const std::string refused = argc > 1 ? argv[1] : "";
    if (refused != "create" && refused != "settime") {
        std::fprintf(stderr, "usage: %s create|settime [gtest options]\n", argv[0]);
        return 2;
    }
    // The event loop itself may use timerfd: refuse it only once it runs.
    QCoreApplication app(argc, argv);
    ::testing::AddGlobalTestEnvironment(new eggtimer::test::RefusalLoggedOnce);
    const bool create = refused == "create";
    if (!eggtimer::test::refuseSyscall(create ? SYS_timerfd_create : SYS_timerfd_settime,
                                       create ? EMFILE : EINVAL)) {
        std::perror("seccomp");
        return 2;
    }
    return RUN_ALL_TESTS();
}
