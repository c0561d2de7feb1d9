// bench_velqa [rounds]: time through the ten exports against the virtual mouse.
//   round trip      write 0xC4 + read its reply
//   status refresh  the four reads after an arrival: 0xA0 rear, 0xA0 front, 0xC2, 0xC4
// The aim is well under 50 us per round trip, so that the virtual mouse never
// distorts what a test measures of the program.
#include "vmouse.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

using Clock = std::chrono::steady_clock;

bool roundTrip(unsigned char code, unsigned char param)
{
    unsigned char frame[31] = {code, param};
    unsigned char reply[32];
    return WrtieControl(31, frame) == 0 && ReadData(32, reply) && reply[1] == code;
}

template <typename F> double microsecondsEach(int rounds, F f, int *failures)
{
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        if (!f()) ++*failures;
    const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
    return spent.count() / rounds;
}

} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20000;
    if (rounds <= 0) {
        std::fprintf(stderr, "usage: bench_velqa [rounds > 0]\n");
        return 2;
    }
    vmouse_reset();
    if (!OpenDevice(0x2717, 0x5009)) {
        std::fprintf(stderr, "the virtual mouse did not open\n");
        return 1;
    }
    int failures = 0;
    // Warm up caches and the allocator before measuring.
    microsecondsEach(
        1000, [] { return roundTrip(0xC4, 0); }, &failures);
    vmouse_trace_clear();

    const double trip = microsecondsEach(
        rounds, [] { return roundTrip(0xC4, 0); }, &failures);
    vmouse_trace_clear();
    const double refresh = microsecondsEach(
        rounds,
        [] {
            return roundTrip(0xA0, 0) && roundTrip(0xA0, 1) && roundTrip(0xC2, 1) &&
                   roundTrip(0xC4, 1);
        },
        &failures);

    std::printf("rounds                 %d\n", rounds);
    std::printf("round trip (0xC4)      %.2f us per write+read   (aim: < 50 us)\n", trip);
    std::printf("status refresh (4 rd)  %.2f us per refresh, %.2f us per read\n", refresh,
                refresh / 4);
    if (failures) std::printf("failed round trips     %d\n", failures);
    return failures ? 1 : 0;
}
