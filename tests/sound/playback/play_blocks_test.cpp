// The arithmetic of a play without a device: the range, the block length,
// the blocks queued and the peak levels of a block.
#include <gtest/gtest.h>

#include <vector>

#include "sound/Sound_play.h"

using namespace sv;

namespace {

int64_t blockOf(uint32_t rate, int bits, int channels) {
    return playBlockBytes(SampleFormat::pcm(rate, bits, channels));
}

} // namespace

TEST(PlayRange, SelectionThenCursorThenWholeSound) {
    PlayRange r = playRange(1000, 100, 50, false);
    EXPECT_EQ(r.first, 100);
    EXPECT_EQ(r.frames, 50);
    r = playRange(1000, 100, 0, true);
    EXPECT_EQ(r.first, 100);
    EXPECT_EQ(r.frames, 900);
    r = playRange(1000, 100, 0, false);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.frames, 1000);
    // A selection wins over play-from-cursor.
    r = playRange(1000, 10, 5, true);
    EXPECT_EQ(r.first, 10);
    EXPECT_EQ(r.frames, 5);
}

TEST(PlayRange, NeverReachesPastTheSound) {
    // The cursor at the end with no selection: nothing to play.
    EXPECT_EQ(playRange(1000, 1000, 0, true).frames, 0);
    // Out-of-range selections are cut to the sound.
    PlayRange r = playRange(1000, 900, 500, false);
    EXPECT_EQ(r.first, 900);
    EXPECT_EQ(r.frames, 100);
    r = playRange(1000, 5000, 0, true);
    EXPECT_EQ(r.frames, 0);
    r = playRange(1000, -20, 0, true);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.frames, 1000);
    EXPECT_EQ(playRange(0, 0, 0, false).frames, 0);
}

TEST(PlayBlocks, AFifthOfASecondInWholeFrames) {
    EXPECT_EQ(blockOf(8000, 8, 1), 1600);
    EXPECT_EQ(blockOf(44100, 16, 2), 35280);
    EXPECT_EQ(blockOf(11025, 8, 1), 2205);
    // 11025 x 2 / 5 = 4410 is whole frames of 2 bytes; 22050 x 4 / 5 too.
    EXPECT_EQ(blockOf(11025, 16, 1), 4410);
    EXPECT_EQ(blockOf(22050, 16, 2), 17640);
    // 9 Hz stereo 16-bit: 36 / 5 = 7 bytes would split a frame.
    EXPECT_EQ(blockOf(9, 16, 2), 4);
    EXPECT_EQ(blockOf(13, 16, 2), 8);
    // Rates so low that a fifth of a second is less than a frame.
    EXPECT_EQ(blockOf(1, 16, 2), 4);
    EXPECT_EQ(blockOf(2, 8, 1), 1);
    for (uint32_t rate : {1u, 3u, 7u, 11u, 7350u, 11025u, 22050u, 44100u, 48000u})
        for (int bits : {8, 16})
            for (int ch : {1, 2}) {
                const int64_t b = blockOf(rate, bits, ch);
                EXPECT_GE(b, ch * bits / 8);
                EXPECT_EQ(b % (ch * bits / 8), 0) << rate << " " << bits << " " << ch;
            }
}

TEST(PlayBlocks, ExactlyOneBlockIsOneFullBlock) {
    EXPECT_EQ(playBlockCount(1600, 1600), 1);
    EXPECT_EQ(nextBlockBytes(1600, 1600, 1), 1600);
}

TEST(PlayBlocks, OneAndAHalfBlocksIsAFullBlockAndAHalf) {
    EXPECT_EQ(playBlockCount(2400, 1600), 2);
    EXPECT_EQ(nextBlockBytes(2400, 1600, 2), 1600);
    EXPECT_EQ(nextBlockBytes(2400, 1600, 1), 800);
}

TEST(PlayBlocks, QueuedBlocksAddUpToTheRange) {
    for (int64_t bytes : {int64_t(1), int64_t(1599), int64_t(1600), int64_t(1601), int64_t(16000), int64_t(123457)}) {
        const int64_t block = 1600;
        int64_t left = playBlockCount(bytes, block), total = 0;
        while (left > 0) total += nextBlockBytes(bytes, block, left--);
        EXPECT_EQ(total, bytes);
    }
    EXPECT_EQ(playBlockCount(0, 1600), 0);
}

TEST(BlockPeaks, Mono8BitExtremesDriveBothMetersFull) {
    std::vector<uint8_t> b(100, 127);
    b[10] = 0;
    BlockPeaks p = blockPeaks(b.data(), uint32_t(b.size()), 8, 1);
    EXPECT_EQ(p.left, 100);
    EXPECT_EQ(p.right, 100);
    b[10] = 255;
    p = blockPeaks(b.data(), uint32_t(b.size()), 8, 1);
    EXPECT_EQ(p.left, 100);
    EXPECT_EQ(p.right, 100);
}

TEST(BlockPeaks, Silence8BitIsAt127) {
    std::vector<uint8_t> b(64, 127);
    BlockPeaks p = blockPeaks(b.data(), uint32_t(b.size()), 8, 2);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.right, 0);
    b[4] = 127 + 64;   // left channel of frame 2
    b[7] = 127 - 32;   // right channel of frame 3
    p = blockPeaks(b.data(), uint32_t(b.size()), 8, 2);
    EXPECT_EQ(p.left, 64 * 100 / 127);
    EXPECT_EQ(p.right, 32 * 100 / 127);
}

TEST(BlockPeaks, Stereo16BitPerChannel) {
    std::vector<int16_t> s(40, 0);
    s[2] = 16384;    // left
    s[5] = -32768;   // right: the full negative swing is 100
    s[9] = 8192;     // right
    BlockPeaks p = blockPeaks(reinterpret_cast<const uint8_t*>(s.data()), uint32_t(s.size() * 2), 16, 2);
    EXPECT_EQ(p.left, 50);
    EXPECT_EQ(p.right, 100);
    s[5] = 32767;
    p = blockPeaks(reinterpret_cast<const uint8_t*>(s.data()), uint32_t(s.size() * 2), 16, 2);
    EXPECT_EQ(p.right, 99);
}

TEST(BlockPeaks, MonoShowsTheLouderOfEachPair) {
    std::vector<int16_t> s(40, 0);
    s[3] = -3277;   // the second of a pair
    BlockPeaks p = blockPeaks(reinterpret_cast<const uint8_t*>(s.data()), uint32_t(s.size() * 2), 16, 1);
    EXPECT_EQ(p.left, 10);
    EXPECT_EQ(p.right, 10);
}

TEST(BlockPeaks, TheLastPairAndShortBlocksAreNotRead) {
    std::vector<int16_t> s(8, 0);
    s[6] = 32767;   // the last pair
    BlockPeaks p = blockPeaks(reinterpret_cast<const uint8_t*>(s.data()), 16, 16, 2);
    EXPECT_EQ(p.left, 0);
    s[4] = 32767;
    p = blockPeaks(reinterpret_cast<const uint8_t*>(s.data()), 16, 16, 2);
    EXPECT_EQ(p.left, 99);
    // Under two pairs nothing is read.
    p = blockPeaks(reinterpret_cast<const uint8_t*>(s.data()), 7, 16, 2);
    EXPECT_EQ(p.left, 0);
    std::vector<uint8_t> b = {0, 0, 0};
    p = blockPeaks(b.data(), 3, 8, 2);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(blockPeaks(nullptr, 0, 8, 1).left, 0);
}
