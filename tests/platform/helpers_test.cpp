#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/random.h"

using namespace sv;

TEST(Numbers, RoundHalfToEvenAndSafeTruncation) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(truncClamp(-2.9), -2);
    EXPECT_EQ(truncClamp(1e30, -32768, 32767), 32767);
    EXPECT_EQ(truncClamp(std::numeric_limits<double>::quiet_NaN(), -5, 5), -5);
    EXPECT_EQ(roundHalfEven(-1e30, -32767, 32767), -32767);
}

TEST(Numbers, ProgressIsDueWhenTheStepDividesTheCount) {
    std::vector<int> due;
    for (int j = 1; j <= 12; ++j)
        if (progressDue(j, 12)) due.push_back(j);
    EXPECT_EQ(due, (std::vector<int>{1, 2, 3, 4, 6, 12}));
}

TEST(Paths, ExtensionsAndNames) {
    EXPECT_EQ(changeFileExt("/a.b/c", ".wav"), "/a.b/c.wav");
    EXPECT_EQ(changeFileExt("/x/y.snd", ".wav"), "/x/y.wav");
    EXPECT_EQ(lowerFileExt("/x/Y.WAV"), ".wav");
    EXPECT_EQ(extractFileName("/x/y.wav"), "y.wav");
    EXPECT_EQ(extractFilePath("/x/y.wav"), "/x/");
    EXPECT_EQ(nameWithoutExt("/x/y.wav"), "/x/y");
    EXPECT_EQ(forceExtension("/x/a.WAV", ".wav"), "/x/a.WAV");
    EXPECT_EQ(forceExtension("/x/a.au", ".wav"), "/x/a.wav");
    EXPECT_EQ(forceExtension("/x/a", ".raw"), "/x/a.raw");
}

TEST(Random, SeededSequenceRepeatsAndStaysInRange) {
    RandSeed = 42;
    std::vector<int> a;
    for (int i = 0; i < 20; ++i) a.push_back(Random(10));
    RandSeed = 42;
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Random(10), a[i]);
    for (int v : a) EXPECT_TRUE(v >= 0 && v < 10);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-3), 0);
    double r = Random();
    EXPECT_TRUE(r >= 0.0 && r < 1.0);
}
