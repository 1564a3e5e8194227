#pragma once
// Records what reaches the test session's sound server: the monitor of the
// null sink "eggtimer_test" (or $PULSE_SINK), mono, 48 kHz, through parec,
// each block stamped with the steady clock when it arrives. A silent stream
// plays into the sink meanwhile: an idle null sink hands its monitor over in
// two-second lumps, a running one in a few milliseconds.
//
// Header-only; tests and benchmark programs share it through eggtimer_harness.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace eggtimer::test {

class SinkRecorder {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRate = 48000;

    ~SinkRecorder() { stop(); }

    // Starts the silent stream and the recorder and waits until the first
    // samples have come in. False when either cannot start.
    bool start() {
        const char* sink = std::getenv("PULSE_SINK");
        const std::string format = "--format=s16le", rate = "--rate=" + std::to_string(kRate),
                          mono = "--channels=1";
        keepAlive = spawn({"pacat", "--playback", "--raw", format, rate, mono, "--latency-msec=10",
                           "--client-name=eggtimer-test-silence", "/dev/zero"},
                          nullptr);
        int output = -1;
        recorder = spawn({"parec", "--raw", format, rate, mono, "--latency-msec=5",
                          "--client-name=eggtimer-test-recorder",
                          "--device=" + std::string(sink && *sink ? sink : "eggtimer_test") + ".monitor"},
                         &output);
        if (keepAlive <= 0 || recorder <= 0 || output < 0)
            return false;
        reader = std::thread([this, output] { readFrom(output); });
        for (const auto deadline = Clock::now() + std::chrono::seconds(5); Clock::now() < deadline;) {
            if (sampleCount() > kRate / 20)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    void stop() {
        for (pid_t* pid : {&recorder, &keepAlive}) {
            if (*pid > 0) {
                ::kill(*pid, SIGTERM);
                ::waitpid(*pid, nullptr, 0);
                *pid = -1;
            }
        }
        if (reader.joinable())
            reader.join();
    }

    std::size_t sampleCount() const {
        const std::lock_guard lock(mutex);
        return samples.size();
    }

    // Samples as floats in [-1, 1], from `first` on.
    std::vector<float> samplesFrom(std::size_t first = 0) const {
        const std::lock_guard lock(mutex);
        first = std::min(first, samples.size());
        return {samples.begin() + static_cast<std::ptrdiff_t>(first), samples.end()};
    }

    // When sample `index` reached us, at the earliest: the smallest delay of
    // any block says how late every block is at least.
    Clock::time_point timeOfSample(std::size_t index) const {
        const std::lock_guard lock(mutex);
        return firstSampleTime + std::chrono::nanoseconds(static_cast<std::int64_t>(index * 1e9 / kRate));
    }

    // The index of the first sample that came in at or after `when`.
    std::size_t sampleAt(Clock::time_point when) const {
        const std::lock_guard lock(mutex);
        const double seconds = std::chrono::duration<double>(when - firstSampleTime).count();
        return seconds <= 0 ? 0 : static_cast<std::size_t>(seconds * kRate);
    }

    // Waits until the recording holds what was played up to `when`, as
    // timeOfSample() tells: a recorder that fell behind on a busy machine
    // catches up. False when it has not within `limit`.
    bool waitUntilRecorded(Clock::time_point when, Clock::duration limit) const {
        const auto deadline = Clock::now() + limit;
        while (timeOfSample(sampleCount()) < when) {
            if (Clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // Samples as floats, from the first that came in at or after `when` on.
    std::vector<float> samplesSince(Clock::time_point when) const { return samplesFrom(sampleAt(when)); }

    // Root mean square of samples [first, last).
    static double rms(const std::vector<float>& data, std::size_t first, std::size_t last) {
        last = std::min(last, data.size());
        if (first >= last)
            return 0.0;
        double sum = 0.0;
        for (std::size_t i = first; i < last; ++i)
            sum += double(data[i]) * data[i];
        return std::sqrt(sum / double(last - first));
    }

    // The first sample louder than `level`, if any.
    static std::optional<std::size_t> firstAbove(const std::vector<float>& data, float level,
                                                 std::size_t from = 0) {
        for (std::size_t i = from; i < data.size(); ++i)
            if (std::fabs(data[i]) > level)
                return i;
        return std::nullopt;
    }

    // The last sample louder than `level`, if any.
    static std::optional<std::size_t> lastAbove(const std::vector<float>& data, float level) {
        for (std::size_t i = data.size(); i-- > 0;)
            if (std::fabs(data[i]) > level)
                return i;
        return std::nullopt;
    }

private:
    // Runs `arguments`, its standard output into a pipe whose end goes to
    // `output` when given; the process id, or -1.
    static pid_t spawn(const std::vector<std::string>& arguments, int* output) {
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        int pipeEnds[2] = {-1, -1};
        if (output && ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
            posix_spawn_file_actions_destroy(&actions);
            return -1; // never let the recorder write into the test's own output
        }
        if (output)
            posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        pid_t pid = -1;
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (output) {
            ::close(pipeEnds[1]);
            *output = pipeEnds[0];
        }
        return pid;
    }

    void readFrom(int fd) {
        // Unbuffered, each read waits for a whole block of 240 samples: 5 ms
        // blocks keep the arrival stamps close to the truth.
        FILE* pipe = ::fdopen(fd, "r");
        if (!pipe) {
            ::close(fd);
            return;
        }
        std::setvbuf(pipe, nullptr, _IONBF, 0);
        std::int16_t block[240];
        while (const std::size_t got = std::fread(block, sizeof block[0], std::size(block), pipe)) {
            const auto now = Clock::now();
            const std::lock_guard lock(mutex);
            for (std::size_t i = 0; i < got; ++i)
                samples.push_back(float(block[i]) / 32768.0f);
            const auto start =
                now - std::chrono::nanoseconds(static_cast<std::int64_t>(samples.size() * 1e9 / kRate));
            firstSampleTime = std::min(firstSampleTime, start);
        }
        std::fclose(pipe);
    }

    pid_t keepAlive = -1;
    pid_t recorder = -1;
    std::thread reader;
    mutable std::mutex mutex;
    std::vector<float> samples;
    Clock::time_point firstSampleTime = Clock::time_point::max();
};

} // namespace eggtimer::test
