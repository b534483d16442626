#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <random>
#include <vector>

#include "sound/engine/fft/fft_work_area.h"

using namespace sv;

namespace {

std::unique_ptr<FftWorkArea> makeArea() { return std::make_unique<FftWorkArea>(); }

// The transform exactly as defined: 1-based points, butterflies walked by
// twiddle, the twiddle advanced by one complex product per position.
void referenceFft(std::vector<double>& re, std::vector<double>& im, int isign, int n) {
    // re/im hold points 1..n at indices 1..n.
    int j = 1;
    for (int i = 1; i <= n; ++i) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        int m = n / 2;
        while (m >= 1 && j > m) {
            j -= m;
            m /= 2;
        }
        j += m;
    }
    const double sigma = isign == 1 ? 1.0 : -1.0;
    for (int span = 2; span <= n; span *= 2) {
        const int half = span / 2;
        const double theta = 3.141592654 / half;
        const double c = std::cos(theta), s = sigma * std::sin(theta);
        double wr = 1, wi = 0;
        for (int l = 1; l <= half; ++l) {
            for (int h = l; h <= n; h += span) {
                const double tr = wr * re[h + half] - wi * im[h + half];
                const double ti = wr * im[h + half] + wi * re[h + half];
                re[h + half] = re[h] - tr;
                im[h + half] = im[h] - ti;
                re[h] = re[h] + tr;
                im[h] = im[h] + ti;
            }
            const double nr = wr * c - wi * s;
            const double ni = wr * s + wi * c;
            wr = nr;
            wi = ni;
        }
    }
    if (isign == 1)
        for (int i = 1; i <= n; ++i) {
            re[i] /= n;
            im[i] /= n;
        }
}

void fillRandom(FftWorkArea& a, int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> d(-1000, 1000);
    for (int i = 0; i < n; ++i) {
        a.FftData.re[i] = d(gen);
        a.FftData.im[i] = d(gen);
    }
}

} // namespace

TEST(FftTransform, MatchesTheDefinedTransformToTheLastBit) {
    auto a = makeArea();
    for (int n : {2, 8, 512, 2048, 4096}) {
        for (int isign : {0, 1}) {
            fillRandom(*a, n, unsigned(n + isign));
            std::vector<double> re(n + 1), im(n + 1);
            for (int i = 0; i < n; ++i) {
                re[i + 1] = a->FftData.re[i];
                im[i + 1] = a->FftData.im[i];
            }
            a->fft(isign, n);
            referenceFft(re, im, isign, n);
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(a->FftData.re[i], re[i + 1]) << "n=" << n << " isign=" << isign << " i=" << i;
                ASSERT_EQ(a->FftData.im[i], im[i + 1]) << "n=" << n << " isign=" << isign << " i=" << i;
            }
        }
    }
}

TEST(FftTransform, ForwardAgreesWithDirectDft) {
    auto a = makeArea();
    for (int n : {16, 1024}) {
        fillRandom(*a, n, 7);
        std::vector<std::complex<double>> x(n);
        double scale = 0;
        for (int i = 0; i < n; ++i) {
            x[i] = {a->FftData.re[i], a->FftData.im[i]};
            scale += std::abs(x[i]);
        }
        a->fft(0, n);
        for (int k = 0; k < n; ++k) {
            std::complex<double> sum = 0;
            for (int m = 0; m < n; ++m) sum += x[m] * std::polar(1.0, -2 * M_PI * double(k) * m / n);
            EXPECT_NEAR(a->FftData.re[k], sum.real(), scale * 1e-8) << "bin " << k;
            EXPECT_NEAR(a->FftData.im[k], sum.imag(), scale * 1e-8) << "bin " << k;
        }
    }
}

TEST(FftTransform, InverseIsScaledAndRestoresTheBlock) {
    auto a = makeArea();
    fillRandom(*a, 2048, 3);
    const auto re = a->FftData.re, im = a->FftData.im;
    a->fft(0, 2048);
    a->fft(1, 2048);
    for (int i = 0; i < 2048; ++i) {
        EXPECT_NEAR(a->FftData.re[i], re[i], 1e-9);
        EXPECT_NEAR(a->FftData.im[i], im[i], 1e-9);
    }
}

TEST(FftTransform, RejectsSizesTheWorkAreaCannotHold) {
    auto a = makeArea();
    EXPECT_THROW(a->fft(0, 8192), FftBlockError);
    EXPECT_THROW(a->fft(0, 1000), FftBlockError);
    EXPECT_THROW(a->fft(0, 0), FftBlockError);
}

TEST(FftWindow, ValuesOfEachWindow) {
    const int n = 1024;
    EXPECT_EQ(FftWorkArea::windowValue(kWindowRectangular, 100, n), 1.0);
    EXPECT_EQ(FftWorkArea::windowValue(kWindowBartlett, 0, n), 0.0);
    EXPECT_EQ(FftWorkArea::windowValue(kWindowBartlett, 256, n), 0.5);
    EXPECT_EQ(FftWorkArea::windowValue(kWindowBartlett, 512, n), 1.0);
    EXPECT_EQ(FftWorkArea::windowValue(kWindowBartlett, 768, n), 0.5);
    EXPECT_EQ(FftWorkArea::windowValue(kWindowHanning, 0, n), 0.0);
    EXPECT_EQ(FftWorkArea::windowValue(kWindowHanning, 256, n), 0.5 - 0.5 * std::cos(6.283185308 * 256 / 1024));
    EXPECT_NEAR(FftWorkArea::windowValue(kWindowHanning, 512, n), 1.0, 1e-15);
    EXPECT_NEAR(FftWorkArea::windowValue(kWindowHamming, 0, n), 0.08, 1e-15);
    EXPECT_NEAR(FftWorkArea::windowValue(kWindowHamming, 512, n), 1.0, 1e-15);
    EXPECT_NEAR(FftWorkArea::windowValue(kWindowBlackman, 0, n), 0.0, 1e-15);
    EXPECT_NEAR(FftWorkArea::windowValue(kWindowBlackman, 512, n), 1.0, 1e-15);
    EXPECT_EQ(FftWorkArea::windowValue(kWindowBlackman, 100, n),
              0.42 - 0.5 * std::cos(6.283185308 * 100 / 1024) + 0.08 * std::cos(12.566370616 * 100 / 1024));
}

TEST(FftWindow, MultipliesRealPartsOnly) {
    auto a = makeArea();
    for (int type : {kWindowBartlett, kWindowHanning, kWindowHamming, kWindowBlackman}) {
        for (int i = 0; i < 64; ++i) {
            a->FftData.re[i] = 2.0;
            a->FftData.im[i] = 3.0;
        }
        a->enfinestrar(type, 64);
        for (int j = 0; j < 64; ++j) {
            EXPECT_EQ(a->FftData.re[j], 2.0 * FftWorkArea::windowValue(type, j, 64));
            EXPECT_EQ(a->FftData.im[j], 3.0);
        }
    }
    for (int type : {int(kWindowRectangular), 0, 9}) {
        a->FftData.re[5] = 2.0;
        a->enfinestrar(type, 64);
        EXPECT_EQ(a->FftData.re[5], 2.0) << type;
    }
}

namespace {
void fillOnes(FftWorkArea& a) {
    a.FftData.re.fill(1.0);
    a.FftData.im.fill(1.0);
}
} // namespace

TEST(FftBandLoop, BandEdgesUseSizeMinusOne) {
    auto a = makeArea();
    fillOnes(*a);
    // At 8000 Hz, point 769 lies at 768 * 8000 / 2047 = 3001.5 Hz: outside a
    // 3000 Hz low pass (it would be inside if divided by 2048).
    a->filtrar(TransformMode::paso_bajo, 3000, 1, 8000);
    EXPECT_EQ(a->FftSize, 2048);
    EXPECT_EQ(a->OverlapSamples, 1024);
    EXPECT_EQ(a->FftData.re[767], 1.0);  // point 768
    EXPECT_EQ(a->FftData.re[768], 0.0);  // point 769
    EXPECT_EQ(a->FftData.im[2048 - 769 + 1], 0.0);  // its mirror, point 1281
    EXPECT_EQ(a->FftData.re[2048 - 768 + 1], 1.0);
    // Bin 0 and the half-rate bin are never touched.
    EXPECT_EQ(a->FftData.re[0], 1.0);
    EXPECT_EQ(a->FftData.re[1024], 1.0);
}

TEST(FftBandLoop, HighPassKeepsBinZeroAndHalfRate) {
    auto a = makeArea();
    fillOnes(*a);
    a->filtrar(TransformMode::paso_alto, 0, 1000, 44100);
    EXPECT_EQ(a->LowCut, 1000);
    EXPECT_EQ(a->HighCut, 22050);
    EXPECT_EQ(a->FftData.re[0], 1.0);
    EXPECT_EQ(a->FftData.re[1], 0.0);
    EXPECT_EQ(a->FftData.re[1024], 1.0);
    EXPECT_EQ(a->FftData.re[1023], 1.0);
}

TEST(FftBandLoop, BoostDecreaseAndDelete) {
    auto a = makeArea();
    fillOnes(*a);
    a->filtrar(TransformMode::r_bass, 0, 0, 44100);  // 1..300 Hz boost 1.5
    EXPECT_EQ(a->Ratio, 1.5);
    EXPECT_EQ(a->FftData.re[1], 1.5);   // 21.5 Hz
    EXPECT_EQ(a->FftData.im[2047], 1.5);  // its mirror
    EXPECT_EQ(a->FftData.re[20], 1.0);  // 430 Hz
    fillOnes(*a);
    a->filtrar(TransformMode::karaoke, 3400, 300, 44100);
    EXPECT_EQ(a->FftData.re[20], 1.0 / 8);
    EXPECT_EQ(a->FftData.re[1], 1.0);

    fillOnes(*a);
    a->FftSize = 2048;
    a->LowCut = 1;
    a->HighCut = 22050;
    a->FilterAction = kActionDelete;
    a->filtrar(TransformMode::avanzado, 0, 0, 44100);
    EXPECT_EQ(a->Ratio, 1000000.0);
    EXPECT_EQ(a->FftData.re[5], 1e-6);

    fillOnes(*a);
    a->FilterAction = kActionDecrease;
    a->Ratio = 0;
    a->filtrar(TransformMode::avanzado, 0, 0, 44100);
    EXPECT_EQ(a->FftData.re[5], 1.0);
}

TEST(FftBandLoop, EqualizerPicksTheBandByFrequency) {
    auto a = makeArea();
    fillOnes(*a);
    a->EqualizerGains = {0, 6, 0, 0, 0, 0, 0, 0, 0, -20};
    a->filtrar(TransformMode::ecualizar, 1, 1, 44100);
    EXPECT_EQ(a->FftData.re[1], 1.0);  // 21.5 Hz: band 1, gain 0
    EXPECT_DOUBLE_EQ(a->FftData.re[2], std::pow(10.0, 6 / 20.0));  // 43 Hz: band 2
    EXPECT_DOUBLE_EQ(a->FftData.re[3], std::pow(10.0, 6 / 20.0));  // 64.6 Hz
    EXPECT_EQ(a->FftData.re[4], 1.0);  // 86 Hz: band 3, gain 0
    EXPECT_DOUBLE_EQ(a->FftData.re[500], std::pow(10.0, -1.0));  // 10.8 kHz: band 10
    EXPECT_DOUBLE_EQ(a->FftData.im[2048 - 501 + 1], std::pow(10.0, -1.0));
    EXPECT_DOUBLE_EQ(a->Ratio, std::pow(10.0, -1.0));
}

TEST(FftBandLoop, SpectralAverageWrapsAtTheLastPoint) {
    auto a = makeArea();
    a->FftData.re.fill(0.0);
    a->FftData.im.fill(0.0);
    a->FftData.re[0] = 3.0;     // point 1, bin 0
    a->FftData.re[2048] = 999;  // beyond a 2048-point spectrum
    a->filtrar(TransformMode::Bionic, 1, 1, 44100);
    EXPECT_EQ(a->FftData.re[1], 1.0);     // point 2 averages points 1..3
    EXPECT_EQ(a->FftData.re[2047], 1.0);  // its mirror, point 2048, wraps to point 1
    EXPECT_EQ(a->FftData.re[2], 1.0 / 3); // point 3 uses point 2's new value
    EXPECT_EQ(a->FftData.re[0], 3.0);
}

TEST(FftStsa, GatesPointsUpToTheSizeItSets) {
    auto a = makeArea();
    a->StsaUpperSnr = 1000;
    a->StsaLowerSnr = 10;
    a->StsaNoisePower = 100;
    a->FftData.re.fill(0.0);
    a->FftData.im.fill(0.0);
    a->FftData.re[0] = 10;  a->FftData.im[0] = 50;    // c = 5: gated
    a->FftData.re[1] = 100; a->FftData.im[1] = -500;  // c = 500: scaled by 0.5
    a->FftData.re[2] = 1000; a->FftData.im[2] = 500;  // c = 5000: kept
    a->FftData.re[1500] = 10; a->FftData.im[1500] = 50;  // beyond point 1024
    a->filtrar(TransformMode::stsa, 0, 0, 44100);
    EXPECT_EQ(a->FftSize, 1024);
    EXPECT_EQ(a->OverlapSamples, 512);
    EXPECT_EQ(a->FftData.re[0], 0.0);
    EXPECT_EQ(a->FftData.im[0], 0.0);
    EXPECT_EQ(a->FftData.re[1], 50.0);
    EXPECT_EQ(a->FftData.im[1], -250.0);
    EXPECT_EQ(a->FftData.re[2], 1000.0);
    EXPECT_EQ(a->FftData.re[1500], 10.0);
}

TEST(FftMoureFrequencies, ShiftZeroClearsFirstAndLastPoint) {
    auto a = makeArea();
    fillOnes(*a);
    a->filtrar(TransformMode::MoureFrequencies, 0, 0, 44100);
    EXPECT_EQ(a->FftData.re[0], 0.0);
    EXPECT_EQ(a->FftData.re[2047], 0.0);
    for (int i = 1; i < 2047; ++i) ASSERT_EQ(a->FftData.re[i], 1.0) << i;
}

TEST(FftMoureFrequencies, FullShiftSilencesTheBlock) {
    auto a = makeArea();
    for (int shift : {100, -100, 250, -250}) {
        fillOnes(*a);
        a->filtrar(TransformMode::MoureFrequencies, 0, shift, 44100);
        for (int i = 0; i < 2048; ++i) {
            ASSERT_EQ(a->FftData.re[i], 0.0) << shift << " " << i;
            ASSERT_EQ(a->FftData.im[i], 0.0) << shift << " " << i;
        }
    }
}

TEST(FftMoureFrequencies, UpwardShiftMovesAndInterpolates) {
    auto a = makeArea();
    a->FftData.re.fill(0.0);
    a->FftData.im.fill(0.0);
    a->FftData.re[9] = 4.0;  // point 10
    a->FftData.re[2048 - 10] = 4.0;  // its mirror here, point 2039
    a->filtrar(TransformMode::MoureFrequencies, 0, 50, 44100);  // h = 0.5
    // Point 10 goes to point 20; points 19 and 21 are halfway to their
    // neighbours (18 and 22 come from points 9 and 11, which are 0).
    EXPECT_EQ(a->FftData.re[19], 4.0);
    EXPECT_EQ(a->FftData.re[18], 2.0);
    EXPECT_EQ(a->FftData.re[20], 2.0);
    EXPECT_EQ(a->FftData.re[9], 0.0);
    EXPECT_EQ(a->FftData.re[2048 - 20], 4.0);
    EXPECT_EQ(a->FftData.re[2048 - 19], 2.0);
}

TEST(FftMoureFrequencies, DownwardShiftTakesHigherPointsScaled) {
    auto a = makeArea();
    a->FftData.re.fill(0.0);
    a->FftData.im.fill(0.0);
    a->FftData.re[19] = 4.0;  // point 20
    a->filtrar(TransformMode::MoureFrequencies, 0, -50, 44100);  // h = 0.5
    EXPECT_EQ(a->FftData.re[9], 8.0);  // point 10 := point 20 / 0.5
    EXPECT_EQ(a->FftData.re[19], 0.0);
    // Points above m = 512 are cleared, up to the half-rate point.
    fillOnes(*a);
    a->filtrar(TransformMode::MoureFrequencies, 0, -50, 44100);
    EXPECT_EQ(a->FftData.re[511], 2.0);
    EXPECT_EQ(a->FftData.re[512], 0.0);
    EXPECT_EQ(a->FftData.re[1024], 0.0);
    EXPECT_EQ(a->FftData.re[0], 1.0);
}
