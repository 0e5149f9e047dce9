// assetgen's parts: source faults, downscaling, encoders, sound recipes and scores (the
// picture sources, `like` recolouring and mirroring are checked through the stage).
#include "readers.h"

#include "image.h"
#include "sound.h"
#include "source.h"
#include "synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace assetgen;

namespace {

const std::string SMALL = "// two colours\ntile e\nitem\nsize 4 2\npalette\n. none\nR ff0000\nB 0000ff\ngrid\nR..B\nRRBB\n";

// A fault in a text source names the file, the line and what is wrong.
TEST(Sources, FaultsSayWhereAndWhat) {
    auto pix = [](std::string from, std::string to) {
        std::string s = SMALL;
        return [s = s.replace(s.find(from), from.size(), to)] { parsePictureSource(s, "t.pix"); };
    };
    auto snd = [](std::string s) { return [s] { renderEffect(s, "x.snd"); }; };
    auto mus = [](std::string s) { return [s] { renderMusic("name m\ntempo 60\nbeats 4\nvoice v tone\n" + s, "m.mus"); }; };
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {pix("RRBB", "RRB"), "t.pix:11"},
        {pix("RRBB", "RRBX"), "'X' is not in the palette"},
        {pix("RRBB\n", ""), "grid ends"},
        {pix(SMALL, "tile a\nsize 2 2\n"), "no grid"},
        {pix(SMALL, "tile a\nshape 2\n"), "t.pix:2: unknown keyword"},
        {snd("name x\nat 0 flute freq 3\n"), "x.snd:2: unknown voice"},
        {snd("at 0 tone\n"), "no name"},
        {snd("name x\nat 0 tone freq\n"), "has no value"},
        {mus("notes w 0 A4:1\n"), "unknown voice 'w'"},
        {mus("notes v 0 A4\n"), "bad note"},
        {mus("play q 0\n"), "unknown pattern"},
        {mus("pattern p\nnotes v 0 A4:1\n"), "has no end"},
        {mus("pattern p\nplay p 0\nend\n"), "unknown pattern"},
        {[] { renderMusic("name m\nbeats 4\nvoice v tone\nnotes v 0 A4:1\n", "m.mus"); }, "tempo"}};
    for (const auto& [source, want] : cases) {
        std::string got = "no fault";
        try {
            source();
        } catch (const std::runtime_error& e) {
            got = e.what();
        }
        EXPECT_NE(got.find(want), std::string::npos) << want << " / " << got;
    }
}

TEST(Downscale, TransparencyDoesNotDarkenTheColourAndStaysTransparent) {
    Picture p(24, 24);  // left half transparent, right half a mid red
    for (int y = 0; y < 24; ++y)
        for (int x = 12; x < 24; ++x) p.at(x, y) = rgb(128, 20, 20);
    const Picture s = downscale(p, 7, 7);
    auto show = [&](int x) { return std::to_string(s.at(x, 3).r) + "," + std::to_string(s.at(x, 3).g) + " a " + std::to_string(s.at(x, 3).a); };
    EXPECT_EQ(s.at(0, 3).a, 0);
    // Inside, not averaged with the transparent black; over the edge, partly covered with the full colour.
    EXPECT_TRUE(s.at(6, 3).a == 255 && s.at(6, 3).r >= 120 && s.at(6, 3).g <= 20) << show(6);
    EXPECT_TRUE(s.at(3, 3).a > 0 && s.at(3, 3).a < 255 && s.at(3, 3).r >= 120) << show(3);
}

TEST(ItemCopy, DropsTheRowsWithoutTheObjectFirst) {
    Picture bg(24, 24, rgb(10, 10, 10)), item = bg;
    for (int y = 2; y < 22; ++y) item.at(y, y) = rgb(255, 255, 0);  // a diagonal on rows 2..21
    const Picture c = itemCopy(item, bg);
    ASSERT_EQ(c.w * 100 + c.h, 2421);
    EXPECT_EQ(std::count(c.px.begin(), c.px.end(), rgb(255, 255, 0)), 20);  // all of the object survives
}

// The icon encoder is checked through the hero icons of the stage.
TEST(Encoders, BmpRowsArePaddedAndBottomUpAndWavClampsInsteadOfWrapping) {
    Picture p(7, 3, rgb(1, 2, 3));
    p.at(0, 0) = rgb(200, 100, 50);
    p.at(6, 2) = rgb(9, 8, 7);
    const auto bytes = encodeBmp24(p);
    EXPECT_EQ(bytes.size(), 54u + 24 * 3);  // 21 bytes a row padded to 24
    const assettest::Pic b = assettest::readPicture(bytes);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ((std::vector{b.at(0, 0), b.at(6, 2), b.at(3, 1)}), (std::vector<assettest::Rgb>{{200, 100, 50}, {9, 8, 7}, {1, 2, 3}}));

    const assettest::Wav w = assettest::readWav(encodeWav({0.0f, 0.5f, 1.7f, -2.0f, -1.0f}));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.rate * 10 + w.channels, SAMPLE_RATE * 10 + 1);
    EXPECT_EQ(w.samples, (std::vector<std::int16_t>{0, 16384, 32767, -32767, -32767}));
}

TEST(Synth, NoteNames) {
    for (auto [name, hz] : {std::pair{"A4", 440.0}, {"C4", 261.63}, {"F#5", 739.99}, {"Bb2", noteFrequency("A#2")}})
        EXPECT_NEAR(noteFrequency(name), hz, 0.01) << name;
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

TEST(Synth, EffectStartsAtItsTimeAndEndsInSilence) {
    const SoundResult r = renderEffect("name bip\npeak 0.5\nat 0.5 tone freq 440 dur 0.2 release 0.05\n", "b.snd");
    EXPECT_EQ(r.name, "bip");
    EXPECT_NEAR(static_cast<double>(r.samples.size()) / SAMPLE_RATE, 0.75, 0.01);
    for (std::size_t k = 0; k < static_cast<std::size_t>(0.49 * SAMPLE_RATE); ++k) ASSERT_EQ(r.samples[k], 0.0f);
    EXPECT_NEAR(measure(r.samples).peak, 0.5, 1e-3);
    EXPECT_EQ(r.samples.back(), 0.0f);
}

TEST(Music, LengthComesFromTempoAndBeatsAndTailsWrapToTheStart) {
    // One long note starting on the last beat: its tail must sound at the start of the loop.
    const SoundResult r = renderMusic(
        "name m\ntempo 120\nbeats 8\nhumanize 0\nvoice v tone release 0.2\nnotes v 7 A4:2\n", "m.mus");
    ASSERT_EQ(r.samples.size(), static_cast<std::size_t>(4 * SAMPLE_RATE));  // 8 beats at 120
    auto peak = [&](std::size_t from, std::size_t to) { return measure(Samples(&r.samples[from], &r.samples[to])).peak; };
    EXPECT_GT(peak(0, SAMPLE_RATE / 4), 0.3);
    EXPECT_EQ(peak(SAMPLE_RATE, 2 * SAMPLE_RATE), 0.0);
}

TEST(Music, PatternsPlayAtTheirBeatTransposed) {
    const std::string head = "name m\ntempo 60\nbeats 4\nhumanize 0\nvoice v tone release 0.01\n";
    const SoundResult plain = renderMusic(head + "notes v 1 A4:1\n", "m.mus");
    const SoundResult viaPattern = renderMusic(head + "pattern p\nnotes v 0 A3:1\nend\nplay p 1 transpose 12\n", "m.mus");
    ASSERT_EQ(plain.samples.size(), viaPattern.samples.size());
    for (std::size_t k = 0; k < plain.samples.size(); ++k) ASSERT_NEAR(plain.samples[k], viaPattern.samples[k], 1e-3) << k;
}

// Fundamental by autocorrelation over 0.1 s taken 0.1 s into the sound, 100..2000 Hz:
// the first lag near the best one (not a multiple of the period), refined by a parabola.
double pitchOf(const Samples& s) {
    auto corr = [&](int lag) {
        double c = 0;
        for (std::size_t k = SAMPLE_RATE / 10; k < SAMPLE_RATE / 5; ++k) c += double(s[k]) * s[k + lag];
        return c;
    };
    std::vector<double> c(SAMPLE_RATE / 100 + 2, 0.0);
    for (int lag = SAMPLE_RATE / 2000; lag <= SAMPLE_RATE / 100; ++lag) c[lag] = corr(lag);
    const double best = *std::max_element(c.begin(), c.end());
    int at = SAMPLE_RATE / 2000 + 1;
    while (at < SAMPLE_RATE / 100 && !(c[at] > 0.9 * best && c[at] >= c[at - 1] && c[at] >= c[at + 1])) ++at;
    const double a = corr(at - 1), b = corr(at), d = corr(at + 1);
    return SAMPLE_RATE / (at + 0.5 * (a - d) / (a - 2 * b + d));
}

TEST(Synth, PluckedStringsAndTonesAreInTune) {
    // The lute and harp play with the other voices: a string out of tune spoils every chord.
    for (const char* note : {"A3", "D4", "A4", "E5"})
        for (const char* voice : {"pluck", "tone"}) {
            const SoundResult r = renderEffect(std::string("name p\nat 0 ") + voice + " freq " + note + " dur 0.6 sustain 2\n", "p.snd");
            EXPECT_NEAR(pitchOf(r.samples) / noteFrequency(note), 1.0, 0.006) << voice << " " << note;  // a tenth of a semitone
        }
}

}  // namespace
