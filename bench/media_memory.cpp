// Resident memory over many plays: a sound played and stopped (and now and
// then played to its end) 500 times, then movies made, played and dropped.
// Target: flat within 2 MB after warming up.
//   media_memory <plays> <sound.aiff> <movie-file>

#include "platform/gstreamer/GstMedia.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct Counter final : eggtimer::SoundDelegate {
    int ends = 0;
    void soundDidFinishPlaying(eggtimer::Sound&, bool) override { ++ends; }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s plays sound.aiff movie-file\n", argv[0]);
        return 2;
    }
    const int plays = std::max(40, std::atoi(argv[1]));
    std::unique_ptr<eggtimer::Sound> sound = eggtimer::makeSoundFromFile(argv[2], "bench");
    Counter counter;
    sound->setDelegate(&counter);
    double warm = 0;
    for (int play = 1; play <= plays; ++play) {
        const int before = counter.ends;
        sound->play();
        if (play % 10 == 0) {
            eggtimer::test::waitUntil([&] { return counter.ends > before; }, 5s); // to its end
        } else {
            eggtimer::test::serveEventsFor(40ms);
            sound->stop();
            eggtimer::test::waitUntil([&] { return counter.ends > before; }, 5s);
        }
        if (play == 20)
            warm = residentMegabytes();
    }
    const double afterSounds = residentMegabytes();
    std::printf(
        "memory sound: %d plays (%d ends reported), resident %.1f MB after 20, %.1f MB after %d: %+.2f MB "
        "(target +-2 MB) %s\n",
        plays, counter.ends, warm, afterSounds, plays, afterSounds - warm,
        std::abs(afterSounds - warm) <= 2.0 ? "ok" : "OUTSIDE");

    eggtimer::GstMediaLibrary library;
    double movieWarm = 0;
    const int movies = plays / 5;
    for (int round = 1; round <= movies; ++round) {
        std::unique_ptr<eggtimer::Movie> movie = library.movieWithPath(argv[3]);
        if (!movie) {
            std::fprintf(stderr, "no movie from %s\n", argv[3]);
            return 1;
        }
        movie->play();
        eggtimer::test::serveEventsFor(60ms);
        movie->stop();
        if (round == 10)
            movieWarm = residentMegabytes();
    }
    const double afterMovies = residentMegabytes();
    std::printf(
        "memory movie: %d made, played and dropped, resident %.1f MB after 10, %.1f MB after %d: %+.2f MB "
        "%s\n",
        movies, movieWarm, afterMovies, movies, afterMovies - movieWarm,
        std::abs(afterMovies - movieWarm) <= 2.0 ? "ok" : "OUTSIDE");
    return 0;
}
