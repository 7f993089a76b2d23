// The animation clock: one step per call, increments in double precision
// rounded to float, never reduced modulo 360.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "app/viewer.h"
#include "core/viewer_state.h"
#include "viewer_fixture.h"

namespace {

// The increments, in the order of animationAngles().
constexpr double increments[22] = {0.9, 0.7,  0.5,    0.75,  0.625, 0.65, 0.6, 0.55, 0.45, 0.4,  0.04,
                                   0.7, 0.04, 0.0172, 0.004, 1.0,   1.1,  2.4, 2.24, 1.38, 1.48, 0.15};

class Clock : public ::testing::Test {
protected:
    void SetUp() override
    {
        openTestWindow();
        resetViewerState();
    }
    static void steps(int n)
    {
        for (int i = 0; i < n; ++i)
            animate();
    }
};

TEST_F(Clock, OneStepAddsEachIncrementAndRequestsARedisplay)
{
    EXPECT_TRUE(redisplayRequestedBy(animate));
    const auto angles = animationAngles();
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(*angles[i], static_cast<float>(increments[i])) << "angle " << i;
    EXPECT_EQ(mercuryOrbit, 0.9f);
    EXPECT_EQ(venusSpin, 0.004f);
}

TEST_F(Clock, AnglesAfter400And720StepsAreNeverReduced)
{
    steps(400);
    EXPECT_EQ(moonOrbit, 300.0f);
    EXPECT_EQ(marsOrbit, 250.0f);
    EXPECT_EQ(earthSpin, 400.0f);
    EXPECT_EQ(earthOrbit, 200.0f);
    steps(320);
    EXPECT_EQ(earthOrbit, 360.0f);
    EXPECT_EQ(earthSpin, 720.0f);
    EXPECT_EQ(moonOrbit, 540.0f);
    EXPECT_GT(jupiterSpin, 1700.0f);
}

// The rate multiplies every increment; backwards subtracts what forwards
// adds.  The expected values are built step by step in the clock's own
// types: a float angle, a double increment.
TEST_F(Clock, AtFourTimesEachStepAddsFourIncrements)
{
    timeRateExponent = 2;
    constexpr int K = 300;
    float expected[22] = {};
    for (int k = 0; k < K; ++k) {
        animate();
        for (int i = 0; i < 22; ++i)
            expected[i] = static_cast<float>(expected[i] + 4.0 * increments[i]);
    }
    const auto angles = animationAngles();
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(*angles[i], expected[i]) << "angle " << i;

    // Backwards, each step takes the same amounts off again.
    timeBackwards = true;
    for (int k = 0; k < K; ++k) {
        animate();
        for (int i = 0; i < 22; ++i)
            expected[i] = static_cast<float>(expected[i] - 4.0 * increments[i]);
    }
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(*angles[i], expected[i]) << "angle " << i;
    EXPECT_NEAR(earthOrbit, 0.0f, 1e-3f);
}

TEST_F(Clock, AtOneTimesForwardsTheStepsAreTodaysBitForBit)
{
    // Through a round trip of the rate keys' state: 1x forwards again.
    timeRateExponent = 3;
    timeBackwards = true;
    timeRateExponent = 0;
    timeBackwards = false;
    float expected[22] = {};
    for (int k = 0; k < 1000; ++k) {
        animate();
        for (int i = 0; i < 22; ++i)
            expected[i] = static_cast<float>(expected[i] + increments[i]);
    }
    const auto angles = animationAngles();
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(std::bit_cast<std::uint32_t>(*angles[i]), std::bit_cast<std::uint32_t>(expected[i])) << i;
}

TEST_F(Clock, SlowRatesAddFractionsOfTheIncrements)
{
    timeRateExponent = TIME_RATE_EXPONENT_MIN;
    animate();
    EXPECT_EQ(earthSpin, static_cast<float>(1.0 / 16));
    EXPECT_EQ(mercuryOrbit, static_cast<float>(0.9 / 16));
    timeRateExponent = TIME_RATE_EXPONENT_MAX;
    timeBackwards = true;
    animate();
    EXPECT_EQ(earthSpin, static_cast<float>(static_cast<float>(1.0 / 16) - 64.0));
}

}  // namespace
