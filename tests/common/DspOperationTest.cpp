#include "common/DspOperation.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace
{

struct DspCase
{
    int code;
    std::vector<float> a;
    std::vector<float> b;  // empty for codes that read only a
    double k;
    int flags;
    std::vector<float> expected;  // empty: the output must stay untouched
    float tolerance;
};

const float kE = static_cast<float>(std::numbers::e);

const std::vector<DspCase> kDspCases = {
    {kDspNone, {1, -2, 3}, {}, 0, 0, {1, -2, 3}, 0},
    {kDspAdd, {1, 2, 3}, {10, 20, 30}, 0, 0, {11, 22, 33}, 0},
    {kDspSub, {1, 2, 3}, {10, 20, 30}, 0, 0, {-9, -18, -27}, 0},
    {kDspMul, {1.5f, -2, 3}, {2, 4, 0.5f}, 0, 0, {3, -8, 1.5f}, 0},
    {kDspDiv, {1, -6, 0}, {4, 3, 2}, 0, 0, {0.25f, -2, 0}, 0},
    {kDspMax, {1, 5, 2}, {3, 4, 2}, 0, 0, {3, 5, 2}, 0},
    {kDspMin, {1, 5, 2}, {3, 4, 2}, 0, 0, {1, 4, 2}, 0},
    {kDspAbs, {-1.5f, 2, -0.0f}, {}, 0, 0, {1.5f, 2, 0}, 0},
    {kDspSqrt, {4, 2.25f, 0}, {}, 0, 0, {2, 1.5f, 0}, 0},
    {kDspLog, {kE, 1, 100}, {}, 0, 0, {1, 0, 4.6051702f}, 1e-6f},
    {kDspDiff, {1, 3, 6, 10}, {}, 0, 0, {0, 2, 3, 4}, 0},
    {kDspInteg, {1, 2, 3}, {}, 0, 0, {1, 3, 6}, 0},
    {kDspInteg2, {1, 2, 3}, {}, 0, 0, {1, 4, 10}, 0},
    {kDspInv, {2, -3, 0.5f}, {}, 0, 0, {-2, 3, -0.5f}, 0},
    {kDspReciproc, {4, -0.5f, 8}, {}, 0, 0, {0.25f, -2, 0.125f}, 0},
    {kDspScale, {2, -4, 1}, {}, 0.5, 0, {1, -2, 0.5f}, 0},
    {kDspOffset, {2, -4, 1}, {}, 0.5, 0, {2.5f, -3.5f, 1.5f}, 0},
    // Scaling flag: element 0 keeps its value, the rest are multiplied once after the whole array.
    {kDspInteg, {1, 2, 3}, {}, 0.5, kDspFlagScale, {1, 1.5f, 3}, 0},
    {kDspInteg, {4, 2, 3}, {}, 0.5, kDspFlagScale, {4, 3, 4.5f}, 0},
    {kDspInteg2, {1, 2, 3}, {}, 2, kDspFlagScale, {1, 8, 20}, 0},
    {kDspDiff, {5, 3, 6, 10}, {}, 2, kDspFlagScale, {0, -4, 6, 8}, 0},
    // Only DIFF, INTEG and INTEG2 look at the flag.
    {kDspNone, {1, 2, 3}, {}, 2, kDspFlagScale, {1, 2, 3}, 0},
    {kDspAdd, {1, 2}, {1, 1}, 2, kDspFlagScale, {2, 3}, 0},
    {kDspInteg, {1, 2, 3}, {}, 2, 2, {1, 3, 6}, 0},
    // Unknown codes do nothing.
    {17, {1, 2, 3}, {4, 5, 6}, 1, 0, {}, 0},
    {100, {1, 2, 3}, {4, 5, 6}, 1, 0, {}, 0},
    {-1, {1, 2, 3}, {4, 5, 6}, 1, 0, {}, 0},
};

constexpr float kSentinel = -12345.0f;

std::string Describe(const DspCase& c)
{
    return std::string("code ") + std::to_string(c.code) + " (" + GetDspOperationName(c.code) + ") flags " +
           std::to_string(c.flags);
}

void ExpectOutput(const DspCase& c, const std::vector<float>& out, const std::vector<float>& untouched,
                  const char* where)
{
    const std::vector<float>& expected = c.expected.empty() ? untouched : c.expected;
    ASSERT_EQ(out.size(), expected.size());
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        EXPECT_NEAR(out[i], expected[i], c.tolerance) << Describe(c) << ", " << where << ", element " << i;
    }
}

}  // namespace

TEST(DspOperationTest, EveryCodeIntoSeparateOutput)
{
    for (const DspCase& c : kDspCases)
    {
        std::vector<float> out(c.a.size(), kSentinel);
        ApplyDspOperation(c.code, static_cast<int>(c.a.size()), c.a.data(),
                          c.b.empty() ? nullptr : c.b.data(), out.data(), c.flags, &c.k);
        ExpectOutput(c, out, std::vector<float>(c.a.size(), kSentinel), "separate output");
    }
}

// Every code, DIFF included, gives the same result when it overwrites its first input.
TEST(DspOperationTest, EveryCodeInPlaceOnFirstInput)
{
    for (const DspCase& c : kDspCases)
    {
        std::vector<float> inOut = c.a;
        ApplyDspOperation(c.code, static_cast<int>(inOut.size()), inOut.data(),
                          c.b.empty() ? nullptr : c.b.data(), inOut.data(), c.flags, &c.k);
        ExpectOutput(c, inOut, c.a, "output == first input");
    }
}

TEST(DspOperationTest, BinaryCodesInPlaceOnSecondInput)
{
    for (const DspCase& c : kDspCases)
    {
        if (c.b.empty())
        {
            continue;
        }
        std::vector<float> inOut = c.b;
        ApplyDspOperation(c.code, static_cast<int>(c.a.size()), c.a.data(), inOut.data(), inOut.data(),
                          c.flags, &c.k);
        ExpectOutput(c, inOut, c.b, "output == second input");
    }
}

TEST(DspOperationTest, LongDifferenceInPlaceMatchesSeparateOutput)
{
    std::vector<float> input(1000);
    for (std::size_t i = 0; i < input.size(); ++i)
    {
        input[i] = static_cast<float>(std::sin(0.037 * static_cast<double>(i)) * 3.0);
    }
    std::vector<float> separate(input.size());
    const double k = 10.0;
    ApplyDspOperation(kDspDiff, static_cast<int>(input.size()), input.data(), nullptr, separate.data(),
                      kDspFlagScale, &k);
    std::vector<float> inPlace = input;
    ApplyDspOperation(kDspDiff, static_cast<int>(inPlace.size()), inPlace.data(), nullptr, inPlace.data(),
                      kDspFlagScale, &k);
    EXPECT_EQ(inPlace, separate);
    EXPECT_EQ(separate[0], 0.0f);
    EXPECT_FLOAT_EQ(separate[5], static_cast<float>((static_cast<double>(input[5]) - input[4]) * k));
}

TEST(DspOperationTest, ZeroOrNegativeCountTouchesNothing)
{
    const std::array<float, 3> a = {1, 2, 3};
    const std::array<float, 3> b = {4, 5, 6};
    const double k = 2.0;
    for (int code = 0; code < kDspOperationCount; ++code)
    {
        for (int count : {0, -1, -100})
        {
            std::array<float, 3> out = {kSentinel, kSentinel, kSentinel};
            ApplyDspOperation(code, count, a.data(), b.data(), out.data(), kDspFlagScale, &k);
            EXPECT_EQ(out[0], kSentinel) << "code " << code << " count " << count;
            EXPECT_EQ(out[2], kSentinel) << "code " << code << " count " << count;
        }
    }
}

TEST(DspOperationTest, MissingOperandLeavesOutputUntouched)
{
    const std::array<float, 2> a = {1, 2};
    std::array<float, 2> out = {kSentinel, kSentinel};
    ApplyDspOperation(kDspAdd, 2, a.data(), nullptr, out.data(), 0, nullptr);
    ApplyDspOperation(kDspScale, 2, a.data(), nullptr, out.data(), 0, nullptr);
    ApplyDspOperation(kDspOffset, 2, a.data(), nullptr, out.data(), 0, nullptr);
    EXPECT_EQ(out[0], kSentinel);
    EXPECT_EQ(out[1], kSentinel);
    // Without k the scaling flag cannot apply; the running sum itself still does.
    ApplyDspOperation(kDspInteg, 2, a.data(), nullptr, out.data(), kDspFlagScale, nullptr);
    EXPECT_EQ(out[1], 3.0f);
}

// Equal inputs: MAX and MIN take the second input, visible in the sign of a zero.
TEST(DspOperationTest, MaxAndMinTakeSecondInputWhenEqual)
{
    const std::array<float, 1> a = {0.0f};
    const std::array<float, 1> b = {-0.0f};
    std::array<float, 1> out = {kSentinel};
    ApplyDspOperation(kDspMax, 1, a.data(), b.data(), out.data(), 0, nullptr);
    EXPECT_TRUE(std::signbit(out[0]));
    out[0] = kSentinel;
    ApplyDspOperation(kDspMin, 1, a.data(), b.data(), out.data(), 0, nullptr);
    EXPECT_TRUE(std::signbit(out[0]));
}

TEST(DspOperationTest, InvalidArithmeticKeepsEverySample)
{
    const std::array<float, 3> a = {1, -1, 0};
    const std::array<float, 3> zero = {0, 0, 0};
    std::array<float, 3> out{};
    ApplyDspOperation(kDspDiv, 3, a.data(), zero.data(), out.data(), 0, nullptr);
    EXPECT_EQ(out[0], std::numeric_limits<float>::infinity());
    EXPECT_EQ(out[1], -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(out[2]));
    ApplyDspOperation(kDspLog, 3, a.data(), nullptr, out.data(), 0, nullptr);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_TRUE(std::isnan(out[1]));
    EXPECT_EQ(out[2], -std::numeric_limits<float>::infinity());
    ApplyDspOperation(kDspSqrt, 3, a.data(), nullptr, out.data(), 0, nullptr);
    EXPECT_TRUE(std::isnan(out[1]));
    ApplyDspOperation(kDspReciproc, 3, a.data(), nullptr, out.data(), 0, nullptr);
    EXPECT_EQ(out[2], std::numeric_limits<float>::infinity());
}

// k is used at full double precision: rounded to float first, 2^-24 + 2^-50 would become 2^-24 and
// 1 + 2^-24 would round back to 1.
TEST(DspOperationTest, OperandIsUsedInDouble)
{
    const std::array<float, 1> one = {1.0f};
    std::array<float, 1> out{};
    const double k = std::ldexp(1.0, -24) + std::ldexp(1.0, -50);
    ApplyDspOperation(kDspOffset, 1, one.data(), nullptr, out.data(), 0, &k);
    EXPECT_EQ(out[0], 1.0f + std::ldexp(1.0f, -23));
    const double factor = 1.0 + k;
    ApplyDspOperation(kDspScale, 1, one.data(), nullptr, out.data(), 0, &factor);
    EXPECT_EQ(out[0], 1.0f + std::ldexp(1.0f, -23));
}

TEST(DspOperationTest, ScalarForm)
{
    struct Case
    {
        int code;
        double a;
        double b;
        double expected;
    };
    const Case cases[] = {
        {kDspNone, 3, 5, 3},
        {kDspAdd, 3, 5, 8},
        {kDspSub, 3, 5, -2},
        {kDspMul, 3, 5, 15},
        {kDspDiv, 3, 4, 0.75},
        {kDspMax, 3, 5, 5},
        {kDspMax, 6, 5, 6},
        {kDspMin, 3, 5, 3},
        {kDspMin, 6, 5, 5},
        {kDspAbs, -3, 5, 3},
        {kDspSqrt, 9, 5, 3},
        {kDspLog, std::numbers::e, 5, 1},
        {kDspDiff, 3, 5, 3},
        {kDspInteg, 3, 5, 3},
        {kDspInteg2, 3, 5, 3},
        {kDspInv, 2, 5, -2},
        {kDspReciproc, 4, 5, 0.25},
        {kDspScale, 3, 0.5, 1.5},
        {kDspOffset, 3, 0.5, 3.5},
        {17, 3, 5, 0},
        {-1, 3, 5, 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_DOUBLE_EQ(ApplyDspOperationScalar(c.code, c.a, c.b), c.expected) << "code " << c.code;
    }
    EXPECT_TRUE(std::signbit(ApplyDspOperationScalar(kDspMax, 0.0, -0.0)));
    EXPECT_TRUE(std::signbit(ApplyDspOperationScalar(kDspMin, 0.0, -0.0)));
}

TEST(DspOperationTest, Names)
{
    const char* expected[] = {"NONE", "ADD",  "SUB",   "MUL",    "DIV", "MAX",      "MIN",   "ABS",   "SQRT",
                              "LOG",  "DIFF", "INTEG", "INTEG2", "INV", "RECIPROC", "SCALE", "OFFSET"};
    for (int code = 0; code < kDspOperationCount; ++code)
    {
        EXPECT_STREQ(GetDspOperationName(code), expected[code]);
    }
    EXPECT_STREQ(GetDspOperationName(17), "");
    EXPECT_STREQ(GetDspOperationName(-1), "");

    std::array<char, 16> buffer{};
    buffer.fill('x');
    GetDspOperationName(kDspInteg2, buffer);
    EXPECT_STREQ(buffer.data(), "INTEG2");
    buffer.fill('x');
    GetDspOperationName(17, buffer);
    EXPECT_STREQ(buffer.data(), "");

    // A short buffer gets what fits and is still terminated.
    std::array<char, 4> shortBuffer{};
    shortBuffer.fill('x');
    GetDspOperationName(kDspReciproc, shortBuffer);
    EXPECT_STREQ(shortBuffer.data(), "REC");
    GetDspOperationName(kDspAdd, std::span<char>());
}
