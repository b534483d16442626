#include <gtest/gtest.h>

#include <QComboBox>
#include <cstring>

#include "conversion/kaCommon.h"
#include "platform/codec/codec.h"
#include "platform/qt/format_chooser.h"

using namespace sv;

namespace {

// Restores the modal chooser after each test that scripts it.
struct ChooserDriver {
    explicit ChooserDriver(std::function<int(FormatChooserDialog&)> d) { setFormatChooserDriver(std::move(d)); }
    ~ChooserDriver() { setFormatChooserDriver(nullptr); }
};

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing raised)";
}

} // namespace

TEST(WaveFormat, NewHolderIsStereo8BitPcmAt11025) {
    TkaWaveFormat a, b;
    EXPECT_EQ(a.FormatTag(), 1);
    EXPECT_EQ(a.Channels(), 2);
    EXPECT_EQ(a.SamplesPerSec(), 11025u);
    EXPECT_EQ(a.AvgBytesPerSec(), 22050u);
    EXPECT_EQ(a.BlockAlign(), 2);
    EXPECT_EQ(a.BitsPerSample(), 8);
    EXPECT_EQ(a.ExtraSize(), 0);
    EXPECT_TRUE(a.IsEqual(b));
    // The record is little-endian at fixed offsets.
    const uint8_t* r = a.FormatRecord();
    EXPECT_EQ(r[4] | (r[5] << 8), 11025);
}

TEST(WaveFormat, EqualityCoversTheWholeBuffer) {
    TkaWaveFormat a, b;
    b.FormatRecord()[300] = 1;
    EXPECT_FALSE(a.IsEqual(b));
    TkaWaveFormat c(b);
    EXPECT_TRUE(c.IsEqual(b));
    a.Assign(b);
    EXPECT_TRUE(a.IsEqual(b));
}

TEST(WaveFormat, ResetKeepsExtraBytes) {
    TkaWaveFormat a;
    a.SetFormatTag(2);
    a.SetExtraSize(2);
    a.FormatRecord()[18] = 0xF4;
    a.Reset();
    EXPECT_EQ(a.FormatTag(), 1);
    EXPECT_EQ(a.ExtraSize(), 0);
    EXPECT_EQ(a.FormatRecord()[18], 0xF4);
    EXPECT_FALSE(a.IsEqual(TkaWaveFormat()));
}

TEST(WaveFormat, ExtraSizeLimit) {
    TkaWaveFormat a;
    a.SetExtraSize(494);
    EXPECT_EQ(a.ExtraSize(), 494);
    EXPECT_EQ(messageOf([&] { a.SetExtraSize(495); }), "The wave format buffer is too small.");
    EXPECT_EQ(a.ExtraSize(), 494);
    // A larger value read from elsewhere is capped when read.
    a.FormatRecord()[16] = 0xff;
    a.FormatRecord()[17] = 0x01;
    EXPECT_EQ(a.ExtraSize(), 494);
    EXPECT_THROW(a.SetExtraSize(600), EACMError);
}

TEST(WaveFormat, AssignRecordCopiesRecordAndExtraOnly) {
    std::vector<uint8_t> rec(600, 0xCD);
    TkaWaveFormat a;
    std::memset(a.FormatRecord(), 0x11, 512);
    rec[16] = 0;
    rec[17] = 0;
    a.AssignRecord(rec.data());
    EXPECT_EQ(a.FormatRecord()[17], 0);
    EXPECT_EQ(a.FormatRecord()[15], 0xCD);
    EXPECT_EQ(a.FormatRecord()[18], 0x11);
    rec[16] = 494 & 0xff;
    rec[17] = 494 >> 8;
    a.AssignRecord(rec.data());
    EXPECT_EQ(a.FormatRecord()[511], 0xCD);
    TkaWaveFormat before(a);
    rec[16] = 495 & 0xff;
    EXPECT_EQ(messageOf([&] { a.AssignRecord(rec.data()); }),
              "This wave format cannot be assigned because it would cause a buffer overrun");
    EXPECT_TRUE(a.IsEqual(before));
}

TEST(WaveFormat, RaiseACMErrorMessages) {
    EXPECT_NO_THROW(RaiseACMError(0, "x"));
    EXPECT_EQ(messageOf([] { RaiseACMError(32); }), "The selected audio format is not supported on this machine.");
    EXPECT_EQ(messageOf([] { RaiseACMError(32, "Error selecting format."); }),
              "Error selecting format.\r\nThe selected audio format is not supported on this machine.");
    EXPECT_EQ(messageOf([] { RaiseACMError(9); }), "An unexpected error has occurred (code #9).");
    EXPECT_EQ(messageOf([] { RaiseACMError(513); }), "The conversion stream is already in use.");
    EXPECT_THROW(RaiseACMError<EACMCodecError>(2), EACMCodecError);
    EXPECT_THROW(RaiseACMError<EACMConversionError>(2), EACMError);
}

TEST(WaveFormat, FormatTextNamesTagAndFormat) {
    TkaWaveFormat a;
    EXPECT_EQ(a.FormatText(), "PCM: 11025 Hz, 8 Bit, Stereo");
    a.SetFormatTag(6);
    a.SetBitsPerSample(8);
    a.SetChannels(1);
    a.SetBlockAlign(1);
    a.SetAvgBytesPerSec(11025);
    EXPECT_EQ(a.FormatText(), "CCITT A-Law: 11025 Hz, 8 Bit, Mono");
    // An unknown tag and an impossible format have no text at all.
    a.SetFormatTag(34);
    EXPECT_EQ(a.FormatText(), "");
    TkaWaveFormat b;
    b.SetBitsPerSample(12);
    EXPECT_EQ(b.FormatText(), "");
}

TEST(WaveFormat, FormatBufferStoresExactly512Bytes) {
    TkaWaveFormat a;
    a.SetSamplesPerSec(8000);
    a.FormatRecord()[511] = 7;
    MemoryByteStream s;
    a.WriteFormatBuffer(s);
    EXPECT_EQ(s.data().size(), 512u);
    s.SetPosition(0);
    TkaWaveFormat b;
    b.ReadFormatBuffer(s);
    EXPECT_TRUE(a.IsEqual(b));
}

TEST(FormatChooser, ListsTagsAndStartsAtTheGivenFormat) {
    std::vector<uint8_t> buf(512, 0);
    TkaWaveFormat start;
    start.SetChannels(1);
    start.SetSamplesPerSec(22050);
    start.SetBitsPerSample(16);
    start.SetBlockAlign(2);
    start.SetAvgBytesPerSec(44100);
    std::memcpy(buf.data(), start.FormatRecord(), 18);
    FormatChooseRequest req;
    req.format = buf.data();
    req.formatSize = 512;
    req.style = kChooseInitToFormat;
    auto dlg = buildFormatChooser(req);
    auto tags = dlg->tagNames();
    ASSERT_GE(tags.size(), 6u);
    EXPECT_EQ(tags[0], "PCM");
    EXPECT_EQ(dlg->AttributesBox->currentText().toStdString(), "22050 Hz, 16 Bit, Mono");
    ASSERT_TRUE(dlg->selectTag(codec::kTagGsm610));
    EXPECT_EQ(dlg->formatNames().front(), "8000 Hz, Mono, 1625 bytes/s");
    EXPECT_FALSE(dlg->selectTag(34));
}

TEST(FormatChooser, CancelLeavesTheHolderUnchanged) {
    ChooserDriver d([](FormatChooserDialog&) { return int(QDialog::Rejected); });
    TkaWaveFormat a, before;
    EXPECT_FALSE(a.Choose("Select output format"));
    EXPECT_TRUE(a.IsEqual(before));
}

TEST(FormatChooser, ChosenFormatIsStoredWithTheTitle) {
    std::string title;
    ChooserDriver d([&](FormatChooserDialog& dlg) {
        title = dlg.windowTitle().toStdString();
        EXPECT_TRUE(dlg.selectTag(codec::kTagImaAdpcm));
        EXPECT_TRUE(dlg.selectFormat("22050 Hz, 4 Bit, Stereo, 22201 bytes/s"));
        return int(QDialog::Accepted);
    });
    TkaWaveFormat a;
    a.FormatRecord()[100] = 9;    // rubbish past the record is cleared
    ASSERT_TRUE(a.Choose("Select output format"));
    EXPECT_EQ(title, "Select output format");
    EXPECT_EQ(a.FormatTag(), codec::kTagImaAdpcm);
    EXPECT_EQ(a.Channels(), 2);
    EXPECT_EQ(a.BlockAlign(), 1024);
    EXPECT_EQ(a.ExtraSize(), 2);
    EXPECT_EQ(a.FormatRecord()[100], 0);
    EXPECT_EQ(a.FormatText(), "IMA ADPCM: 22050 Hz, 4 Bit, Stereo, 22201 bytes/s");
}

TEST(FormatChooser, FailingChooserRaisesWithItsOwnCode) {
    ChooserDriver d([](FormatChooserDialog&) { return int(codec::kErrNoMem); });
    TkaWaveFormat a, before;
    try {
        a.Choose("x");
        FAIL() << "no error";
    } catch (const EACMConversionError& e) {
        EXPECT_STREQ(e.what(), "Error selecting format.\r\nThe system is unable to allocate resources.");
    }
    EXPECT_TRUE(a.IsEqual(before));
}

TEST(FormatChooser, OutputRestrictionOffersOnlyWhatEncodes) {
    std::vector<uint8_t> buf(512, 0);
    FormatChooseRequest req;
    req.format = buf.data();
    req.formatSize = 512;
    req.enumFlags = codec::kEnumOutput;
    auto dlg = buildFormatChooser(req);
    EXPECT_EQ(dlg->selectTag(codec::kTagMpegLayer3), codec::encoderAvailable(codec::kTagMpegLayer3));
    req.formatSize = 10;
    EXPECT_EQ(formatChoose(req), codec::kErrInvalidParam);
}
