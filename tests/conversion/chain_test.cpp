#include <gtest/gtest.h>

#include "tests/conversion/conversion_support.h"

using namespace sv;
using namespace sv::codec;
using namespace sv::test;

namespace {

std::vector<TkaWaveFormat> planOf(const TkaWaveFormat& in, const TkaWaveFormat& out) {
    TkaAudioConvertor c;
    c.SetFormatIn(in);
    c.SetFormatOut(out);
    c.Open();
    std::vector<TkaWaveFormat> plan;
    for (const auto& f : c.PlannedFormats()) plan.push_back(*f);
    EXPECT_EQ(c.StageCount() + 1, plan.size());
    c.Close();
    return plan;
}

bool same(const TkaWaveFormat& a, const TkaWaveFormat& b) {
    return std::memcmp(a.FormatRecord(), b.FormatRecord(), codec::recordSize(a.FormatRecord())) == 0 &&
           codec::recordSize(a.FormatRecord()) == codec::recordSize(b.FormatRecord());
}

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing raised)";
}

} // namespace

TEST(ChainPlan, PcmToPcmIsOneStage) {
    auto plan = planOf(pcmHolder(2, 44100, 16), pcmHolder(2, 44100, 16));
    EXPECT_EQ(plan.size(), 2u);
    plan = planOf(pcmHolder(2, 44100, 16), pcmHolder(1, 8000, 8));
    EXPECT_EQ(plan.size(), 2u);
}

TEST(ChainPlan, CodecToCodecGoesThroughPcm) {
    auto plan = planOf(codecHolder(kTagImaAdpcm, 2, 22050), codecHolder(kTagGsm610, 1, 8000));
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[0].FormatTag(), kTagImaAdpcm);
    EXPECT_TRUE(same(plan[1], pcmHolder(2, 22050, 16)));
    EXPECT_TRUE(same(plan[2], pcmHolder(1, 8000, 16)));
    EXPECT_EQ(plan[3].FormatTag(), kTagGsm610);
}

TEST(ChainPlan, EqualSuggestionIsNotAddedTwice) {
    // A-law and GSM of the same shape meet at one PCM format.
    auto plan = planOf(codecHolder(kTagALaw, 1, 8000), codecHolder(kTagGsm610, 1, 8000));
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_TRUE(same(plan[1], pcmHolder(1, 8000, 16)));
    // A PCM source is its own suggestion.
    plan = planOf(pcmHolder(2, 44100, 8), codecHolder(kTagGsm610, 1, 8000));
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_TRUE(same(plan[1], pcmHolder(1, 8000, 16)));
    // A decoder gives 16 bits; the converter makes 8.
    plan = planOf(codecHolder(kTagALaw, 1, 8000), pcmHolder(1, 8000, 8));
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_TRUE(same(plan[1], pcmHolder(1, 8000, 16)));
}

TEST(ChainPlan, ImpossiblePairIsRefusedAndLeavesItInactive) {
    TkaAudioConvertor c;
    c.SetFormatIn(pcmHolder(1, 8000, 16));
    // IMA ADPCM with 260-byte blocks can be read but not written.
    TkaWaveFormat ima = codecHolder(kTagImaAdpcm, 1, 8000);
    ima.SetBlockAlign(260);
    ima.FormatRecord()[18] = 513 & 0xff;
    ima.FormatRecord()[19] = 513 >> 8;
    ASSERT_TRUE(canRead(ima.FormatRecord()));
    c.SetFormatOut(ima);
    EXPECT_EQ(messageOf([&] { c.Open(); }), "Conversion not possible.");
    EXPECT_FALSE(c.Active());
    EXPECT_EQ(c.StageCount(), 0u);
    // A format nothing reads: the suggestion itself fails with the codec's text.
    TkaWaveFormat odd = pcmHolder(1, 8000, 16);
    odd.SetFormatTag(34);
    c.SetFormatOut(odd);
    EXPECT_EQ(messageOf([&] { c.Open(); }), "The requested operation cannot be performed.");
    c.SetFormatIn(odd);
    c.SetFormatOut(pcmHolder(1, 8000, 16));
    EXPECT_THROW(c.Open(), EACMConversionError);
    EXPECT_FALSE(c.Active());
}

TEST(ChainState, ActiveRules) {
    TkaAudioConvertor c;
    c.SetFormatIn(pcmHolder(1, 8000, 16));
    c.SetFormatOut(pcmHolder(1, 8000, 8));
    EXPECT_EQ(messageOf([&] { c.Close(); }), "Cannot perform this action while not active.");
    EXPECT_EQ(messageOf([&] { c.ConvertBuffer("ab", 2); }), "Cannot perform this action while not active.");
    c.SetActive(true);
    EXPECT_TRUE(c.Active());
    EXPECT_EQ(messageOf([&] { c.Open(); }), "Cannot perform this action while active.");
    EXPECT_EQ(messageOf([&] { c.SetRequestRealTime(true); }), "Cannot perform this action while active.");
    c.SetActive(true);   // no change, no error
    c.SetActive(false);
    EXPECT_FALSE(c.Active());
    c.SetRequestRealTime(true);
    EXPECT_TRUE(c.RequestRealTime());
}

TEST(ChainStream, BlocksOfTwoSecondsAndAnEndBlockOfUpToFour) {
    const auto f = pcmHolder(1, 8000, 16);          // a = 16000 bytes per second
    const int64_t a = 16000;
    auto run = [&](int64_t bytes) {
        std::vector<int32_t> sizes;
        TkaAudioConvertor c;
        c.SetFormatIn(f);
        c.SetFormatOut(f);
        c.OnAudioConverted = [&](TkaAudioConvertor*, const void*, int32_t n, bool&) { sizes.push_back(n); };
        c.Open();
        MemoryByteStream s(bytesOf(flatTone(1, 8000, bytes / 2, 100.0)));
        c.ConvertStream(s);
        return sizes;
    };
    EXPECT_EQ(run(5 * a + 100), (std::vector<int32_t>{int32_t(2 * a), int32_t(3 * a + 100)}));
    EXPECT_EQ(run(2 * a), (std::vector<int32_t>{int32_t(2 * a)}));
    EXPECT_EQ(run(4 * a), (std::vector<int32_t>{int32_t(4 * a)}));
    EXPECT_EQ(run(8 * a + 2), (std::vector<int32_t>{int32_t(2 * a), int32_t(2 * a), int32_t(2 * a), int32_t(2 * a + 2)}));
    EXPECT_EQ(run(6 * a), (std::vector<int32_t>{int32_t(2 * a), int32_t(4 * a)}));
    EXPECT_TRUE(run(0).empty());
}

TEST(ChainStream, AbortStopsAfterTheBlockAndEndIsSignalledOnce) {
    TkaAudioConvertor c;
    const auto f = pcmHolder(1, 8000, 16);
    c.SetFormatIn(f);
    c.SetFormatOut(pcmHolder(1, 8000, 8));
    int blocks = 0, ends = 0;
    c.OnAudioConverted = [&](TkaAudioConvertor*, const void*, int32_t, bool& abort) {
        ++blocks;
        abort = true;
    };
    c.OnAudioStreamConverted = [&](TkaAudioConvertor*) { ++ends; };
    c.Open();
    MemoryByteStream s(bytesOf(flatTone(1, 8000, 8000 * 10, 100.0)));
    c.ConvertStream(s);
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(c.Active());
}

TEST(ChainStream, FailureStillSignalsTheEnd) {
    TkaAudioConvertor c;
    c.SetFormatIn(pcmHolder(1, 8000, 16));
    c.SetFormatOut(pcmHolder(1, 8000, 16));
    int ends = 0;
    c.OnAudioConverted = [&](TkaAudioConvertor*, const void*, int32_t, bool&) { throw EACMError("writer failed"); };
    c.OnAudioStreamConverted = [&](TkaAudioConvertor*) { ++ends; };
    c.Open();
    MemoryByteStream s(bytesOf(flatTone(1, 8000, 8000, 100.0)));
    EXPECT_THROW(c.ConvertStream(s), EACMError);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(c.Active());
    // A byte rate of 0 would never advance.
    TkaWaveFormat zero = pcmHolder(1, 8000, 16);
    zero.SetAvgBytesPerSec(0);
    c.SetFormatIn(zero);
    c.OnAudioConverted = nullptr;
    EXPECT_EQ(messageOf([&] { c.ConvertStream(s); }), "Conversion not possible.");
    EXPECT_EQ(ends, 2);
}

TEST(ChainStream, ObserversGetEveryBlockBeforeTheEvent) {
    TkaAudioConvertor c;
    c.SetFormatIn(codecHolder(kTagMuLaw, 1, 8000));
    c.SetFormatOut(pcmHolder(1, 8000, 16));
    std::vector<std::string> order;
    struct Listener : AudioComponent {
        explicit Listener(std::vector<std::string>& o) : observer(*this), order(o) {
            observer.OnAudioData = [this](IkaAudioSubject* s, const void*, int32_t n) {
                order.push_back("observer " + std::to_string(n));
                EXPECT_EQ(s->AudioFormat().FormatTag(), 1);
            };
        }
        ~Listener() override { NotifyDestroying(); }
        IkaAudioObserver* QueryAudioObserver() override { return &observer; }
        TkaAudioObserver observer;
        std::vector<std::string>& order;
    } listener(order);
    listener.observer.SetSubject(&c);
    c.OnAudioConverted = [&](TkaAudioConvertor*, const void*, int32_t n, bool&) { order.push_back("event " + std::to_string(n)); };
    c.Open();
    std::vector<uint8_t> mu(4000, 0xFF);
    MemoryByteStream s(mu);
    c.ConvertStream(s);
    EXPECT_EQ(order, (std::vector<std::string>{"observer 8000", "event 8000"}));
}

TEST(ChainStream, ReceivingAnotherFormatReplansTheChain) {
    struct Source : AudioComponent {
        Source() : subject(*this, format) {}
        ~Source() override { NotifyDestroying(); }
        IkaAudioSubject* QueryAudioSubject() override { return &subject; }
        TkaWaveFormat format;
        TkaAudioSubject subject;
    } source;
    TkaAudioConvertor c;
    c.SetFormatOut(pcmHolder(2, 8000, 16));
    c.SetAudioSource(&source);
    std::vector<int32_t> sizes;
    c.OnAudioConverted = [&](TkaAudioConvertor*, const void*, int32_t n, bool&) { sizes.push_back(n); };
    source.format = pcmHolder(1, 8000, 16);
    std::vector<uint8_t> block(1600, 0);
    source.subject.Notify(&source.subject, block.data(), 1600);
    EXPECT_TRUE(c.Active());
    EXPECT_TRUE(c.FormatIn().IsEqual(source.format));
    source.format = pcmHolder(1, 8000, 8);
    source.subject.Notify(&source.subject, block.data(), 800);
    EXPECT_TRUE(c.FormatIn().IsEqual(source.format));
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0], 3200);
    EXPECT_EQ(sizes[1], 3200);
}

TEST(ChainStream, SmallFirstBlockIsKeptForTheNext) {
    TkaAudioConvertor c;
    c.SetFormatIn(codecHolder(kTagImaAdpcm, 1, 8000));    // 256-byte blocks
    c.SetFormatOut(pcmHolder(1, 8000, 16));
    std::vector<int32_t> sizes;
    c.OnAudioConverted = [&](TkaAudioConvertor*, const void*, int32_t n, bool&) { sizes.push_back(n); };
    c.Open();
    std::vector<uint8_t> zeros(512, 0);
    c.ConvertBuffer(zeros.data(), 100);
    EXPECT_TRUE(sizes.empty());
    EXPECT_EQ(c.LastOutput(), nullptr);
    c.ConvertBuffer(zeros.data(), 156);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0], 505 * 2);
}
