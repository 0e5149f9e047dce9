// assetgen's parts: picture sources, downscaling, encoders, sound recipes and scores.
#include "readers.h"

#include "image.h"
#include "sound.h"
#include "source.h"
#include "synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace assetgen;

namespace {

std::string message(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

const char* SMALL_SOURCE =
    "// two colours\n"
    "tile e\n"
    "item\n"
    "size 4 2\n"
    "palette\n"
    ". none\n"
    "R ff0000\n"
    "B 0000ff\n"
    "grid\n"
    "R..B\n"
    "RRBB\n";

}  // namespace

TEST(PictureSource, ReadsHeaderPaletteAndGrid) {
    const PictureSource s = parsePictureSource(SMALL_SOURCE, "t.pix");
    EXPECT_EQ(s.tile, "e");
    EXPECT_TRUE(s.item);
    ASSERT_EQ(s.picture.w, 4);
    ASSERT_EQ(s.picture.h, 2);
    EXPECT_EQ(s.picture.at(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(s.picture.at(1, 0).a, 0);
    EXPECT_EQ(s.picture.at(3, 1), rgb(0, 0, 255));
}

TEST(PictureSource, FaultsNameTheFileAndLine) {
    std::string bad = SMALL_SOURCE;
    bad.replace(bad.find("RRBB"), 4, "RRB");
    EXPECT_NE(message([&] { parsePictureSource(bad, "t.pix"); }).find("t.pix:11"), std::string::npos);
    bad = SMALL_SOURCE;
    bad.replace(bad.find("RRBB"), 4, "RRBX");
    EXPECT_NE(message([&] { parsePictureSource(bad, "t.pix"); }).find("'X' is not in the palette"), std::string::npos);
    bad = SMALL_SOURCE;
    bad.erase(bad.find("RRBB"));
    EXPECT_NE(message([&] { parsePictureSource(bad, "t.pix"); }).find("grid ends"), std::string::npos);
    EXPECT_NE(message([&] { parsePictureSource("tile a\nsize 2 2\n", "t.pix"); }).find("no grid"), std::string::npos);
    EXPECT_NE(message([&] { parsePictureSource("tile a\nshape 2\n", "t.pix"); }).find("t.pix:2: unknown keyword"), std::string::npos);
}

TEST(PictureSource, LikeRecoloursAndMirrorsAnotherSource) {
    const auto dir = std::filesystem::temp_directory_path() / "assetgen_like_test";
    std::filesystem::create_directories(dir);
    std::ofstream((dir / "base.pix").string()) << SMALL_SOURCE;
    const PictureSource green = parsePictureSource("tile f\nlike base.pix\npalette\nR 00ff00\n", (dir / "g.pix").string());
    EXPECT_EQ(green.tile, "f");
    EXPECT_EQ(green.picture.at(0, 0), rgb(0, 255, 0));  // recoloured
    EXPECT_EQ(green.picture.at(3, 0), rgb(0, 0, 255));  // inherited colour
    const PictureSource mirrored = parsePictureSource("like base.pix mirror\n", (dir / "m.pix").string());
    EXPECT_EQ(mirrored.picture.at(0, 0), rgb(0, 0, 255));
    EXPECT_EQ(mirrored.picture.at(3, 0), rgb(255, 0, 0));
    EXPECT_EQ(mirrored.picture.at(1, 0).a, 0);
    std::filesystem::remove_all(dir);
}

TEST(Downscale, TransparencyDoesNotDarkenTheColourAndStaysTransparent) {
    Picture p(24, 24);  // left half transparent, right half a mid red
    for (int y = 0; y < 24; ++y)
        for (int x = 12; x < 24; ++x) p.at(x, y) = rgb(128, 20, 20);
    const Picture s = downscale(p, 7, 7);
    EXPECT_EQ(s.at(0, 3).a, 0);
    EXPECT_EQ(s.at(6, 3).a, 255);
    EXPECT_GE(s.at(6, 3).r, 120);  // not averaged with the transparent black
    EXPECT_LE(s.at(6, 3).g, 20);
    // The pixel over the edge is partly covered, with the full colour.
    EXPECT_GT(s.at(3, 3).a, 0);
    EXPECT_LT(s.at(3, 3).a, 255);
    EXPECT_GE(s.at(3, 3).r, 120);
}

TEST(ItemCopy, DropsTheRowsWithoutTheObjectFirst) {
    Picture bg(24, 24, rgb(10, 10, 10)), item = bg;
    for (int y = 2; y < 22; ++y) item.at(y, y) = rgb(255, 255, 0);  // a diagonal on rows 2..21
    const Picture c = itemCopy(item, bg);
    ASSERT_EQ(c.w, 24);
    ASSERT_EQ(c.h, 21);
    int yellow = 0;
    for (const Rgba& px : c.px) yellow += px == rgb(255, 255, 0);
    EXPECT_EQ(yellow, 20);  // all of the object survives
}

TEST(Encoders, BmpRowsArePaddedAndBottomUp) {
    Picture p(7, 3, rgb(1, 2, 3));
    p.at(0, 0) = rgb(200, 100, 50);
    p.at(6, 2) = rgb(9, 8, 7);
    const auto bytes = encodeBmp24(p);
    EXPECT_EQ(bytes.size(), 54u + 24 * 3);  // 21 bytes a row padded to 24
    const assettest::Bmp b = assettest::readBmp(bytes);
    ASSERT_TRUE(b.ok) << b.why;
    EXPECT_EQ(b.at(0, 0), (assettest::Rgb{200, 100, 50}));
    EXPECT_EQ(b.at(6, 2), (assettest::Rgb{9, 8, 7}));
    EXPECT_EQ(b.at(3, 1), (assettest::Rgb{1, 2, 3}));
}

TEST(Encoders, IconCarriesAlphaAndMask) {
    Picture p(24, 24);
    p.at(5, 1) = rgb(255, 255, 255);
    const assettest::Icon i = assettest::readIco(encodeIco({p}));
    ASSERT_TRUE(i.ok) << i.why;
    EXPECT_EQ(i.alpha[1 * 24 + 5], 255);
    EXPECT_FALSE(i.maskTransparent[1 * 24 + 5]);
    EXPECT_EQ(i.alpha[0], 0);
    EXPECT_TRUE(i.maskTransparent[0]);
}

TEST(Encoders, WavClampsInsteadOfWrappingAround) {
    const assettest::Wav w = assettest::readWav(encodeWav({0.0f, 0.5f, 1.7f, -2.0f, -1.0f}));
    ASSERT_TRUE(w.ok) << w.why;
    EXPECT_EQ(w.rate, SAMPLE_RATE);
    EXPECT_EQ(w.channels, 1);
    ASSERT_EQ(w.samples.size(), 5u);
    EXPECT_EQ(w.samples[1], 16384);
    EXPECT_EQ(w.samples[2], 32767);
    EXPECT_EQ(w.samples[3], -32767);
    EXPECT_EQ(w.samples[4], -32767);
}

TEST(Synth, NoteNames) {
    EXPECT_DOUBLE_EQ(noteFrequency("A4"), 440.0);
    EXPECT_NEAR(noteFrequency("C4"), 261.63, 0.01);
    EXPECT_NEAR(noteFrequency("Bb2"), noteFrequency("A#2"), 1e-9);
    EXPECT_NEAR(noteFrequency("F#5"), 739.99, 0.01);
    for (const char* bad : {"H4", "A", "C#", "Dx3", "E4b"}) EXPECT_THROW(noteFrequency(bad), std::runtime_error) << bad;
}

TEST(Synth, FiltersStayStableAtHighCutOffsAndResonance) {
    // Noise through a high-pass near Nyquist and a resonant band-pass: finite and bounded.
    const SoundResult r = renderEffect(
        "name t\nat 0 noise hp 9000 dur 0.5\nat 0 noise bp 6000 q 20 dur 0.5\nat 0 noise lp 200 lp2 10000 q 8 dur 0.5\n", "t.snd");
    for (float v : r.samples) ASSERT_TRUE(std::isfinite(v));
    EXPECT_LT(r.levels.peak, 50.0);
    EXPECT_NEAR(measure(r.samples).peak, 0.8, 1e-3);
}

TEST(Synth, EffectRecipeTimingAndFaults) {
    const SoundResult r = renderEffect("name bip\npeak 0.5\nat 0.5 tone freq 440 dur 0.2 release 0.05\n", "b.snd");
    EXPECT_EQ(r.name, "bip");
    EXPECT_NEAR(static_cast<double>(r.samples.size()) / SAMPLE_RATE, 0.75, 0.01);
    for (std::size_t k = 0; k < static_cast<std::size_t>(0.49 * SAMPLE_RATE); ++k) ASSERT_EQ(r.samples[k], 0.0f);
    EXPECT_NEAR(measure(r.samples).peak, 0.5, 1e-3);
    EXPECT_EQ(r.samples.back(), 0.0f);
    EXPECT_NE(message([] { renderEffect("name x\nat 0 flute freq 3\n", "x.snd"); }).find("x.snd:2: unknown voice"), std::string::npos);
    EXPECT_NE(message([] { renderEffect("at 0 tone\n", "x.snd"); }).find("no name"), std::string::npos);
    EXPECT_NE(message([] { renderEffect("name x\nat 0 tone freq\n", "x.snd"); }).find("has no value"), std::string::npos);
}

TEST(Music, LengthComesFromTempoAndBeatsAndTailsWrapToTheStart) {
    // One long note starting on the last beat: its tail must sound at the start of the loop.
    const SoundResult r = renderMusic(
        "name m\ntempo 120\nbeats 8\nhumanize 0\nvoice v tone release 0.2\nnotes v 7 A4:2\n", "m.mus");
    ASSERT_EQ(r.samples.size(), static_cast<std::size_t>(4 * SAMPLE_RATE));  // 8 beats at 120
    double early = 0, middle = 0;
    for (std::size_t k = 0; k < SAMPLE_RATE / 4; ++k) early = std::max(early, double(std::fabs(r.samples[k])));
    for (std::size_t k = SAMPLE_RATE; k < 2 * SAMPLE_RATE; ++k) middle = std::max(middle, double(std::fabs(r.samples[k])));
    EXPECT_GT(early, 0.3);
    EXPECT_EQ(middle, 0.0);
}

TEST(Music, PatternsPlayAtTheirBeatTransposed) {
    const std::string head = "name m\ntempo 60\nbeats 4\nhumanize 0\nvoice v tone release 0.01\n";
    const SoundResult plain = renderMusic(head + "notes v 1 A4:1\n", "m.mus");
    const SoundResult viaPattern = renderMusic(head + "pattern p\nnotes v 0 A3:1\nend\nplay p 1 transpose 12\n", "m.mus");
    ASSERT_EQ(plain.samples.size(), viaPattern.samples.size());
    for (std::size_t k = 0; k < plain.samples.size(); ++k) ASSERT_NEAR(plain.samples[k], viaPattern.samples[k], 1e-3) << k;
}

TEST(Music, ScoreFaults) {
    const std::string head = "name m\ntempo 60\nbeats 4\nvoice v tone\n";
    EXPECT_NE(message([&] { renderMusic(head + "notes w 0 A4:1\n", "m.mus"); }).find("unknown voice 'w'"), std::string::npos);
    EXPECT_NE(message([&] { renderMusic(head + "notes v 0 A4\n", "m.mus"); }).find("bad note"), std::string::npos);
    EXPECT_NE(message([&] { renderMusic(head + "play q 0\n", "m.mus"); }).find("unknown pattern"), std::string::npos);
    EXPECT_NE(message([&] { renderMusic(head + "pattern p\nnotes v 0 A4:1\n", "m.mus"); }).find("has no end"), std::string::npos);
    EXPECT_NE(message([&] { renderMusic(head + "pattern p\nplay p 0\nend\n", "m.mus"); }).find("unknown pattern"), std::string::npos);
    EXPECT_NE(message([&] { renderMusic("name m\nbeats 4\nvoice v tone\nnotes v 0 A4:1\n", "m.mus"); }).find("tempo"), std::string::npos);
}

namespace {

// Fundamental by autocorrelation over 0.1 s taken 0.1 s into the sound, 100..2000 Hz.
double pitchOf(const Samples& s) {
    const std::size_t at = SAMPLE_RATE / 10, n = SAMPLE_RATE / 10;
    auto corr = [&](int lag) {
        double c = 0;
        for (std::size_t k = at; k < at + n; ++k) c += double(s[k]) * s[k + static_cast<std::size_t>(lag)];
        return c;
    };
    // The first lag close to the best one, so a multiple of the period is not taken.
    std::vector<double> c(SAMPLE_RATE / 100 + 2, 0.0);
    double best = 0;
    for (int lag = SAMPLE_RATE / 2000; lag <= SAMPLE_RATE / 100; ++lag) best = std::max(best, c[lag] = corr(lag));
    int bestLag = SAMPLE_RATE / 2000;
    for (int lag = SAMPLE_RATE / 2000 + 1; lag < SAMPLE_RATE / 100; ++lag)
        if (c[lag] > 0.9 * best && c[lag] >= c[lag - 1] && c[lag] >= c[lag + 1]) {
            bestLag = lag;
            break;
        }
    // Refine between neighbouring lags with a parabola through the three correlations.
    const double a = corr(bestLag - 1), b = corr(bestLag), d = corr(bestLag + 1);
    const double shift = 0.5 * (a - d) / (a - 2 * b + d);
    return SAMPLE_RATE / (bestLag + shift);
}

}  // namespace

TEST(Synth, PluckedStringsAndTonesAreInTune) {
    // The lute and harp play with the other voices: a string out of tune spoils every chord.
    for (const char* note : {"A3", "D4", "A4", "E5"}) {
        const double want = noteFrequency(note);
        const std::string pitch = std::string(" freq ") + note + " dur 0.6 sustain 2\n";
        const SoundResult pluck = renderEffect("name p\nat 0 pluck" + pitch, "p.snd");
        EXPECT_NEAR(pitchOf(pluck.samples) / want, 1.0, 0.006) << "pluck " << note;  // a tenth of a semitone
        const SoundResult tone = renderEffect("name t\nat 0 tone" + pitch, "t.snd");
        EXPECT_NEAR(pitchOf(tone.samples) / want, 1.0, 0.006) << "tone " << note;
    }
}
