// Reads a recording (raw signed 16-bit mono) and checks the one tone in it:
// its frequency, its length, and how far below it the images of the
// resampling lie. Prints the figures; exits 1 when a check fails.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>
#include <vector>

namespace {

// Power of one frequency over a stretch, by the Goertzel recurrence.
double Power(const std::vector<double>& x, std::size_t from, std::size_t to, double hz,
             double rate) {
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / rate);
    double s1 = 0, s2 = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double s0 = x[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: analyse_tone FILE RATE EXPECTED_MS\n");
        return 2;
    }
    const double rate = std::atof(argv[2]);
    const double expectedMs = std::atof(argv[3]);
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    std::vector<double> x(bytes.size() / 2);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const auto sample =
            static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                      (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
        x[i] = sample / 32768.0;
    }
    // The tone swings about 0.25 of full scale; anything above 0.05 is tone.
    std::size_t first = x.size(), last = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (std::abs(x[i]) > 0.05) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first >= last) {
        std::printf("no tone found in %zu samples\n", x.size());
        return 1;
    }
    // The envelope crosses the threshold a little inside the tone's ends;
    // half a cycle at each end brings the length back to the tone's own.
    const double halfCycle = rate / 800.0 / 2;
    const double lengthMs = (static_cast<double>(last - first) + halfCycle) / rate * 1000.0;

    // The steady middle, whole cycles of 800 Hz.
    const std::size_t edge = static_cast<std::size_t>(0.015 * rate);
    const std::size_t cycle = static_cast<std::size_t>(rate / 800.0);
    const std::size_t from = first + edge;
    std::size_t to = last > edge ? last - edge : first;
    if (to > from)
        to = from + (to - from) / cycle * cycle;
    if (to <= from + cycle) {
        std::printf("tone too short to analyse\n");
        return 1;
    }
    double best = 0, bestHz = 0;
    for (double hz = 700; hz <= 900; hz += 1) {
        const double p = Power(x, from, to, hz, rate);
        if (p > best) {
            best = p;
            bestHz = hz;
        }
    }
    const double tone = Power(x, from, to, 800, rate);
    const double image1 = 10 * std::log10(Power(x, from, to, 7200, rate) / tone);
    const double image2 = 10 * std::log10(Power(x, from, to, 8800, rate) / tone);
    std::printf("tone: %.0f Hz, %.2f ms long (expected about %.1f); images at 7.2 kHz %.1f dB, "
                "8.8 kHz %.1f dB\n",
                bestHz, lengthMs, expectedMs, image1, image2);
    const bool ok = std::abs(bestHz - 800) <= 5 && std::abs(lengthMs - expectedMs) <= 1.0 &&
                    image1 <= -40 && image2 <= -40;
    return ok ? 0 : 1;
}
