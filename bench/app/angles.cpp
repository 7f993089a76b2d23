// Checks the viewer's animation angles, read from the live process, against
// an independent replay of the clock: every angle must be exactly what N
// steps of "add the increment in double precision, round to float" give,
// for one N shared by all of them.  N is derived from mercuryOrbit, whose
// value rises with every step, so at most one N can produce it.
//
// Input (standard input), one item a line:
//   angle NAME HEXBITS            a float angle as its 32 raw bits
//   expect NAME HEXBITS NUM DEN   a float that must equal (float)(NUM / DEN)
// Output: "steps N", then one line per mismatch.  Exit status 0 when every
// value matches, 1 on a mismatch, 2 on unusable input.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The clock's step per angle, in degrees.
const std::map<std::string, double> increments = {
    {"mercuryOrbit", 0.9},  {"venusOrbit", 0.7},  {"earthOrbit", 0.5},   {"moonOrbit", 0.75},     {"marsOrbit", 0.625},
    {"jupiterOrbit", 0.65}, {"saturnOrbit", 0.6}, {"uranusOrbit", 0.55}, {"neptuneOrbit", 0.45},  {"plutoOrbit", 0.4},
    {"ballSpin", 0.04},     {"bandSpin", 0.7},    {"sunSpin", 0.04},     {"mercurySpin", 0.0172}, {"venusSpin", 0.004},
    {"earthSpin", 1.0},     {"marsSpin", 1.1},    {"jupiterSpin", 2.4},  {"saturnSpin", 2.24},    {"uranusSpin", 1.38},
    {"neptuneSpin", 1.48},  {"plutoSpin", 0.15},
};

// More steps than any soak can run (a day at several thousand frames a
// second); bounds the search when the value is not reachable at all.
constexpr std::uint64_t STEP_LIMIT = std::uint64_t{1} << 30;

float step(float angle, double increment) { return static_cast<float>(angle + increment); }

float replay(double increment, std::uint64_t steps)
{
    float angle = 0.0f;
    for (std::uint64_t i = 0; i < steps; ++i)
        angle = step(angle, increment);
    return angle;
}

std::string hex(float value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", std::bit_cast<std::uint32_t>(value));
    return text;
}

bool parseBits(const std::string& text, float& value)
{
    char* end = nullptr;
    const unsigned long bits = std::strtoul(text.c_str(), &end, 16);
    if (text.empty() || *end != '\0' || bits > 0xffffffffUL)
        return false;
    value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    return true;
}

}  // namespace

int main()
{
    std::map<std::string, float> angles;
    struct Expectation {
        std::string name;
        float actual;
        float wanted;
    };
    std::vector<Expectation> expectations;

    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream in(line);
        std::string kind, name, bits;
        if (!(in >> kind >> name >> bits))
            continue;
        float value = 0.0f;
        if (!parseBits(bits, value)) {
            std::printf("unreadable value for %s: %s\n", name.c_str(), bits.c_str());
            return 2;
        }
        if (kind == "angle") {
            angles[name] = value;
        } else if (kind == "expect") {
            double num = 0.0, den = 1.0;
            if (!(in >> num >> den) || den == 0.0) {
                std::printf("unusable expectation for %s\n", name.c_str());
                return 2;
            }
            expectations.push_back({name, value, static_cast<float>(num / den)});
        }
    }

    for (const auto& [name, increment] : increments) {
        if (!angles.count(name)) {
            std::printf("missing angle %s\n", name.c_str());
            return 2;
        }
    }

    // N from mercuryOrbit: replay until the value is reached or passed.
    const float target = angles["mercuryOrbit"];
    const double mercuryStep = increments.at("mercuryOrbit");
    float angle = 0.0f;
    std::uint64_t steps = 0;
    while (angle < target && steps < STEP_LIMIT) {
        angle = step(angle, mercuryStep);
        ++steps;
    }
    if (std::bit_cast<std::uint32_t>(angle) != std::bit_cast<std::uint32_t>(target)) {
        std::printf("mercuryOrbit %s (%.9g) is no whole number of steps\n", hex(target).c_str(), target);
        return 1;
    }
    std::printf("steps %llu\n", static_cast<unsigned long long>(steps));

    int mismatches = 0;
    for (const auto& [name, increment] : increments) {
        const float wanted = replay(increment, steps);
        const float actual = angles[name];
        if (std::bit_cast<std::uint32_t>(wanted) != std::bit_cast<std::uint32_t>(actual)) {
            std::printf("%s is %s (%.9g), %llu steps give %s (%.9g)\n", name.c_str(), hex(actual).c_str(), actual,
                        static_cast<unsigned long long>(steps), hex(wanted).c_str(), wanted);
            ++mismatches;
        }
    }
    for (const Expectation& e : expectations) {
        if (std::bit_cast<std::uint32_t>(e.wanted) != std::bit_cast<std::uint32_t>(e.actual)) {
            std::printf("%s is %s (%.9g), the inputs sent give %s (%.9g)\n", e.name.c_str(), hex(e.actual).c_str(),
                        e.actual, hex(e.wanted).c_str(), e.wanted);
            ++mismatches;
        }
    }
    return mismatches == 0 ? 0 : 1;
}
