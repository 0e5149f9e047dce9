// The art and sound: assetgen's parts, then every picture and sound the programs load as
// generated into the stage (which also checks the picture sources, `like` and mirroring).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <tuple>

#include "image.h"
#include "image_decode.h"
#include "platform/platform.h"
#include "sound.h"
#include "source.h"
#include "synth.h"

extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[], QUELMAR_EDITOR_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT, QUELMAR_EDITOR_RESOURCE_COUNT;

using namespace assetgen;

namespace {

// Readers independent of assetgen's encoders, so an encoder fault shows up as a failed read:
// pictures through the programs' own decoder (what the game sees) plus header fields, waves.
using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<int, 3>;

Bytes readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
// n bytes little-endian at `at`, 0 past the end.
std::uint32_t le(const Bytes& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int k = 0; k < n; ++k) v |= at + k < b.size() ? std::uint32_t{b[at + k]} << (8 * k) : 0;
    return v;
}

struct Pic {
    bool ok = false;  // decoded, and a 24-bit BMP, or an icon whose first image is 32-bit with an AND mask
                      // that agrees with the alpha
    int w = 0, h = 0;
    std::vector<Rgb> px;               // row 0 at the top
    std::vector<int> alpha;            // per pixel
    Rgb at(int x, int y) const { return px[static_cast<std::size_t>(y * w + x)]; }
};

Pic readPicture(const Bytes& b) {
    Pic p;
    platform::image::Rgba img;
    if (!platform::image::decode(b.data(), b.size(), img)) return p;
    p.w = img.w, p.h = img.h;
    for (std::size_t k = 0; k < img.px.size(); k += 4)
        p.px.push_back({img.px[k], img.px[k + 1], img.px[k + 2]}), p.alpha.push_back(img.px[k + 3]);
    if (!img.icon) {
        p.ok = b[0] == 'B' && le(b, 2, 4) == b.size() && le(b, 28, 2) == 24 && le(b, 30, 4) == 0;
        return p;
    }
    const std::size_t image = le(b, 18, 4), stride = (p.w + 31) / 32 * 4, mask = image + 40 + 4u * p.w * p.h;
    p.ok = b[6] == p.w && le(b, image + 14, 2) == 32 && mask + stride * p.h <= b.size();
    for (int y = 0; y < p.h && p.ok; ++y)  // rows bottom-up, one bit a pixel, set where transparent
        for (int x = 0; x < p.w; ++x) p.ok &= (b[mask + (p.h - 1 - y) * stride + x / 8] >> (7 - x % 8) & 1) == (p.alpha[y * p.w + x] < 128);
    return p;
}

struct Wav {
    int ok = false, format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<std::int16_t> samples;
};

// The plain 44-byte header: RIFF, "fmt " of 16 bytes, then "data" to the end.
Wav readWav(const Bytes& b) {
    Wav w;
    auto tag = [&](std::size_t at) { return at + 4 <= b.size() ? std::string(b.begin() + at, b.begin() + at + 4) : ""; };
    if (tag(0) != "RIFF" || tag(8) != "WAVE" || tag(12) != "fmt " || le(b, 16, 4) != 16 || tag(36) != "data" ||
        le(b, 4, 4) + 8 != b.size() || le(b, 40, 4) + 44 != b.size())
        return w;
    w.format = le(b, 20, 2), w.channels = le(b, 22, 2), w.rate = le(b, 24, 4), w.bits = le(b, 34, 2);
    w.ok = le(b, 28, 4) == static_cast<std::uint32_t>(w.rate * w.channels * w.bits / 8);
    for (std::size_t i = 44; i + 1 < b.size(); i += 2) w.samples.push_back(static_cast<std::int16_t>(le(b, i, 2)));
    return w;
}

const std::string SMALL = "// two colours\ntile e\nitem\nsize 4 2\npalette\n. none\nR ff0000\nB 0000ff\ngrid\nR..B\nRRBB\n";

// A fault in a text source names the file, the line and what is wrong.
TEST(Sources, FaultsSayWhereAndWhat) {
    auto pix = [](std::string from, std::string to) {
        std::string s = SMALL;
        return [s = s.replace(s.find(from), from.size(), to)] { parsePictureSource(s, "t.pix"); };
    };
    auto snd = [](std::string s) { return [s] { renderEffect(s, "x.snd"); }; };
    auto mus = [](std::string s) { return [s] { renderMusic("name m\ntempo 60\nbeats 4\nvoice v tone\n" + s, "m.mus"); }; };
    auto says = [](const std::string& text) { return ::testing::ThrowsMessage<std::runtime_error>(::testing::HasSubstr(text)); };
    EXPECT_THAT(pix("RRBB", "RRB"), says("t.pix:11"));
    EXPECT_THAT(pix("RRBB", "RRBX"), says("'X' is not in the palette"));
    EXPECT_THAT(pix("RRBB\n", ""), says("grid ends"));
    EXPECT_THAT(pix(SMALL, "tile a\nsize 2 2\n"), says("no grid"));
    EXPECT_THAT(pix(SMALL, "tile a\nshape 2\n"), says("t.pix:2: unknown keyword"));
    EXPECT_THAT(snd("name x\nat 0 flute freq 3\n"), says("x.snd:2: unknown voice"));
    EXPECT_THAT(snd("at 0 tone\n"), says("no name"));
    EXPECT_THAT(snd("name x\nat 0 tone freq\n"), says("has no value"));
    EXPECT_THAT(mus("notes w 0 A4:1\n"), says("unknown voice 'w'"));
    EXPECT_THAT(mus("notes v 0 A4\n"), says("bad note"));
    EXPECT_THAT(mus("play q 0\n"), says("unknown pattern"));
    EXPECT_THAT(mus("pattern p\nnotes v 0 A4:1\n"), says("has no end"));
    EXPECT_THAT(mus("pattern p\nplay p 0\nend\n"), says("unknown pattern"));  // not endless
    EXPECT_THAT([] { renderMusic("name m\nbeats 4\nvoice v tone\nnotes v 0 A4:1\n", "m.mus"); }, says("tempo"));
}

TEST(Downscale, TransparencyDoesNotDarkenTheColourAndStaysTransparent) {
    Picture p(24, 24);  // left half transparent, right half a mid red
    for (int y = 0; y < 24; ++y)
        for (int x = 12; x < 24; ++x) p.at(x, y) = rgb(128, 20, 20);
    const Picture s = downscale(p, 7, 7);
    const Rgba in = s.at(6, 3), edge = s.at(3, 3);
    EXPECT_EQ(s.at(0, 3).a, 0);  // inside: not averaged with the transparent black; the edge: partly covered, full colour
    EXPECT_TRUE(in.a == 255 && in.r >= 120 && in.g <= 20) << +in.r << "," << +in.g << "," << +in.a;
    EXPECT_TRUE(edge.a > 0 && edge.a < 255 && edge.r >= 120) << +edge.r << "," << +edge.a;
}

// The icon encoder is checked through the hero icons of the stage.
TEST(Encoders, BmpRowsArePaddedAndBottomUpAndWavClampsInsteadOfWrapping) {
    Picture p(7, 3, rgb(1, 2, 3));
    p.at(0, 0) = rgb(200, 100, 50);
    p.at(6, 2) = rgb(9, 8, 7);
    const Pic b = readPicture(encodeBmp24(p));  // 21 bytes a row padded to 24
    ASSERT_TRUE(b.ok);
    EXPECT_EQ((std::vector{b.at(0, 0), b.at(6, 2), b.at(3, 1)}), (std::vector<Rgb>{{200, 100, 50}, {9, 8, 7}, {1, 2, 3}}));
    const Wav w = readWav(encodeWav({0.0f, 0.5f, 1.7f, -2.0f, -1.0f}));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.rate * 10 + w.channels, SAMPLE_RATE * 10 + 1);
    EXPECT_EQ(w.samples, (std::vector<std::int16_t>{0, 16384, 32767, -32767, -32767}));
}

TEST(Synth, FiltersStayStableAtHighCutOffsAndResonance) {
    // Noise through a high-pass near Nyquist and a resonant band-pass: finite and bounded.
    const SoundResult r = renderEffect(
        "name t\nat 0 noise hp 9000 dur 0.5\nat 0 noise bp 6000 q 20 dur 0.5\nat 0 noise lp 200 lp2 10000 q 8 dur 0.5\n", "t.snd");
    for (float v : r.samples) ASSERT_TRUE(std::isfinite(v));
    EXPECT_LT(r.levels.peak, 50.0);
    EXPECT_NEAR(measure(r.samples).peak, 0.8, 1e-3);
}

TEST(Music, LengthComesFromTempoAndBeatsPatternsPlayTransposedAndTailsWrapToTheStart) {
    // One long note starting on the last beat: its tail must sound at the start of the loop.
    const std::string head = "name m\ntempo 120\nbeats 8\nhumanize 0\nvoice v tone release 0.2\n";
    const Samples s = renderMusic(head + "notes v 7 A4:2\n", "m.mus").samples;
    ASSERT_EQ(s.size(), static_cast<std::size_t>(4 * SAMPLE_RATE));  // 8 beats at 120
    EXPECT_GT(measure(Samples(s.begin(), s.begin() + SAMPLE_RATE / 4)).peak, 0.3);
    EXPECT_EQ(measure(Samples(s.begin() + SAMPLE_RATE, s.begin() + 2 * SAMPLE_RATE)).peak, 0.0);
    const Samples viaPattern = renderMusic(head + "pattern p\nnotes v 0 A3:2\nend\nplay p 7 transpose 12\n", "m.mus").samples;
    ASSERT_EQ(viaPattern.size(), s.size());
    for (std::size_t k = 0; k < s.size(); ++k) ASSERT_NEAR(viaPattern[k], s[k], 1e-3) << k;
}

// Fundamental by autocorrelation 0.1 s in, 100..2000 Hz: the first lag near the best (not a multiple), refined.
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

TEST(Synth, NotesNameTheirPitchAndVoicesStartOnTimeInTuneAtTheirPeakAndEndInSilence) {
    for (auto [name, hz] : {std::pair{"A4", 440.0}, {"C4", 261.63}, {"F#5", 739.99}, {"Bb2", noteFrequency("A#2")}})
        EXPECT_NEAR(noteFrequency(name), hz, 0.01) << name;
    for (const char* bad : {"H4", "A", "C#", "Dx3", "E4b"}) EXPECT_THROW(noteFrequency(bad), std::runtime_error) << bad;
    // The lute and harp play with the other voices: a string out of tune spoils every chord.
    for (const char* note : {"A3", "D4", "A4", "E5"})
        for (const char* voice : {"pluck", "tone"}) {
            SCOPED_TRACE(std::string(voice) + " " + note);
            const Samples s = renderEffect(std::string("name p\npeak 0.5\nat 0.5 ") + voice + " freq " + note +
                                               " dur 0.6 sustain 2 release 0.05\n", "p.snd").samples;
            ASSERT_NEAR(s.size() / double(SAMPLE_RATE), 1.15, 0.01);
            EXPECT_EQ(measure(Samples(s.begin(), s.begin() + 0.49 * SAMPLE_RATE)).peak, 0.0);
            EXPECT_NEAR(measure(s).peak, 0.5, 1e-3);
            EXPECT_EQ(s.back(), 0.0f);
            EXPECT_NEAR(pitchOf(Samples(s.begin() + SAMPLE_RATE / 2, s.end())) / noteFrequency(note), 1.0, 0.006);  // 1/10 semitone
        }
}

const std::string STAGE = QUELMAR_STAGE_DIR;
const std::string TILES = "as#dqfltcr0)123456(uvwxyzebm79h8pnogki@j", ITEMS = "ebm79h8pnouvwxyz";

Pic picture(const std::string& rel) { return readPicture(readBytes(STAGE + "/" + rel)); }
std::string bmp(const char* dir, char c) { return std::string(dir) + c + ".bmp"; }
std::size_t colours(const Pic& p) { return std::set<Rgb>(p.px.begin(), p.px.end()).size(); }
double distance(Rgb a, Rgb b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }
Rgb mean(const Pic& p, bool strongOnly = false) {  // of all pixels, or of the strongly coloured ones
    Rgb sum{};
    int n = 0;
    for (const Rgb& c : p.px) {
        const auto [mn, mx] = std::minmax({c[0], c[1], c[2]});
        if (strongOnly && (mx < 60 || mx - mn < 0.45 * mx)) continue;
        for (int k : {0, 1, 2}) sum[k] += c[k];
        ++n;
    }
    for (int& v : sum) v /= std::max(n, 1);
    return sum;
}
double hue(Rgb c) {  // degrees, -60..300
    const auto [mn, mx] = std::minmax({c[0], c[1], c[2]});
    const double d = mx - mn, h = 60 * (mx == c[0] ? (c[1] - c[2]) / d : mx == c[1] ? (c[2] - c[0]) / d + 2 : (c[0] - c[1]) / d + 4);
    return h > 300 ? h - 360 : h;
}

TEST(StagePictures, EveryPictureHasItsFormatAndSizeAndEveryTileSixColours) {
    std::vector<std::tuple<std::string, int, int, std::size_t>> files = {
        {"Images/credits.bmp", 390, 350, 0}, {"Images/pas.bmp", 24, 21, 0}, {"imagese/².bmp", 7, 7, 0}};
    for (char c : TILES) files.insert(files.end(), {{bmp("Images/", c), 24, 24, 6}, {bmp("imagese/", c), 7, 7, 0}});
    for (char c : ITEMS)  // a copy keeps the object: about as many colours as its tile
        files.push_back({bmp("Images/copie de ", c), 24, 21, colours(picture(bmp("Images/", c))) - 2});
    for (const char* n : {"hommed", "hommeg", "hommem"}) files.push_back({std::string("Images/") + n + ".ico", 24, 24, 0});
    for (const auto& [name, w, h, least] : files) {
        const Pic p = picture(name);
        EXPECT_TRUE(p.ok) << name;
        EXPECT_EQ(std::pair(p.w, p.h), std::pair(w, h)) << name;
        EXPECT_GE(colours(p), least) << name << " is too flat";
    }
    // Built into the programs: the title picture and the icons.
    auto blob = [](const platform::ResourceBlob* table, std::size_t count, int id) {
        const platform::ResourceBlob* r = std::find_if(table, table + count, [&](auto& e) { return e.id == id; });
        return r == table + count ? Bytes{} : Bytes(r->data, r->data + r->size);
    };
    const Pic title = readPicture(blob(QUELMAR_GAME_RESOURCES, QUELMAR_GAME_RESOURCE_COUNT, 120));
    EXPECT_TRUE(title.ok && title.w == 390 && title.h == 350);
    for (int id : {103, 107}) EXPECT_TRUE(readPicture(blob(QUELMAR_GAME_RESOURCES, QUELMAR_GAME_RESOURCE_COUNT, id)).ok) << id;
    EXPECT_TRUE(readPicture(blob(QUELMAR_EDITOR_RESOURCES, QUELMAR_EDITOR_RESOURCE_COUNT, 101)).ok);
}

TEST(StagePictures, HeroIconsHaveTransparencyAndLeftMirrorsRight) {
    std::map<std::string, Pic> icons;
    for (const char* n : {"hommed", "hommeg", "hommem"}) {
        const Pic& i = icons[n] = picture(std::string("Images/") + n + ".ico");
        ASSERT_TRUE(i.ok) << n;
        EXPECT_GT(std::count(i.alpha.begin(), i.alpha.end(), 0), 24 * 24 / 4) << n;  // the tile shows around the knight
        EXPECT_GT(std::count(i.alpha.begin(), i.alpha.end(), 255), 24 * 24 / 5) << n;
    }
    for (int k = 0; k < 24 * 24; ++k) ASSERT_EQ(icons["hommed"].alpha[k], icons["hommeg"].alpha[k / 24 * 24 + 23 - k % 24]) << k;
}

TEST(StagePictures, DoorsAndKeysShareTheirColourInTheNamedOrder) {
    // yellow, green, blue, red, orange, violet, as hue ranges in degrees
    const double hues[6][2] = {{45, 65}, {90, 150}, {200, 240}, {-15, 10}, {20, 40}, {260, 300}};
    for (int k = 0; k < 6; ++k)
        for (const char c : {"123456"[k], "uvwxyz"[k]})
            for (const char* dir : {"Images/", "imagese/"})
                EXPECT_THAT(hue(mean(picture(bmp(dir, c)), true)), ::testing::AllOf(::testing::Ge(hues[k][0]), ::testing::Le(hues[k][1])))
                    << dir << c;
}

TEST(StagePictures, CreditsAreLightLavaHotDriedLavaDarkAndBothUnlikeTheFloor) {
    const Pic credits = picture("Images/credits.bmp");
    int dark = 0;  // black text goes over it, inside the border
    for (int y = 20; y < 330 && credits.ok; ++y)
        for (int x = 20; x < 370; ++x) dark += credits.at(x, y)[0] + credits.at(x, y)[1] + credits.at(x, y)[2] < 3 * 140;
    EXPECT_EQ(dark, 0);
    const Rgb lava = mean(picture("Images/d.bmp")), dried = mean(picture("Images/#.bmp")), floor = mean(picture("Images/s.bmp"));
    EXPECT_TRUE(lava[0] > 180 && lava[0] > lava[1] + 60 && lava[1] > lava[2]) << "lava not bright and red-orange";
    EXPECT_LT(dried[0] + dried[1] + dried[2], 3 * 70) << "dried lava not dark";
    for (auto [a, b, least] : {std::tuple{lava, floor, 100}, {dried, floor, 80}, {lava, dried, 100}}) EXPECT_GT(distance(a, b), least);
}

TEST(StagePictures, NoTwoCodesLookTheSameAt7Pixels) {
    std::map<std::string, Pic> set = {{"²", picture("imagese/².bmp")}};
    for (char c : TILES) set[std::string(1, c)] = picture(bmp("imagese/", c));
    for (auto a = set.begin(); a != set.end(); ++a)
        for (auto b = std::next(a); b != set.end(); ++b) {
            double sum = 0;
            for (std::size_t k = 0; k < 49 && a->second.ok && b->second.ok; ++k) sum += distance(a->second.px[k], b->second.px[k]);
            EXPECT_GT(sum / 49, 12.0) << a->first << " and " << b->first << " are hard to tell apart";
        }
}

Wav sound(const std::string& name) { return readWav(readBytes(STAGE + "/sons/" + name + ".wav")); }

TEST(StageSounds, EveryEffectAndLoopIsMono16Bit22050CleanAndOfItsLength) {
    for (const std::string n : {"marche0", "marche1", "saut", "echelle", "porteferme", "lave", "atterissage", "atterissageMort",
                                "ramasse", "clé", "potion", "tresor", "harpe", "porteouverte", "utilclé", "slash", "épée mur",
                                "potionbrise", "lave2", "caisse", "épée 0", "épée 1", "épée 2", "épée 3", "épée 4", "épée 5",
                                "épée 6", "mortGoule", "épée fin", "pierre", "MusicNormale", "MusicCombats", "MusicBoutique",
                                "MusicIntro", "MusicFin"}) {
        const Wav w = sound(n);
        ASSERT_TRUE(w.ok) << n;
        EXPECT_EQ(std::tuple(w.format, w.channels, w.bits, w.rate), std::tuple(1, 1, 16, 22050)) << n;
        const bool music = n.rfind("Music", 0) == 0;
        const double seconds = w.samples.size() / 22050.0;
        EXPECT_TRUE(seconds >= (music ? 30 : 0.05) && seconds <= (music ? 90 : 3)) << n << ": " << seconds << " s";
        int peak = 0, inner = 0;
        for (std::size_t k = 0; k < w.samples.size(); ++k)
            peak = std::max(peak, std::abs(w.samples[k])), inner = std::max(inner, k ? std::abs(w.samples[k] - w.samples[k - 1]) : 0);
        // Louder than -12 dBFS, and never at full scale (clipped).
        EXPECT_TRUE(peak > 32768 / 4 && peak < 32767) << n << ": peak " << peak;
        if (!music) {  // effects end in silence, so being cut off or ending never clicks
            EXPECT_LT(std::abs(w.samples.back()), 200) << n;
            continue;
        }
        EXPECT_LE(std::abs(w.samples.front() - w.samples.back()), inner) << n << ": the loop point clicks";
    }
}

TEST(StageSounds, TheSevenBlowsAreDifferentSounds) {
    for (int a = 0; a < 7; ++a)
        for (int b = a + 1; b < 7; ++b) {
            // Normalised correlation over the common length: well below 1 for different sounds.
            const Wav x = sound("épée " + std::to_string(a)), y = sound("épée " + std::to_string(b));
            double xy = 0, xx = 0, yy = 0;
            for (std::size_t k = 0; k < std::min(x.samples.size(), y.samples.size()); ++k)
                xy += double(x.samples[k]) * y.samples[k], xx += double(x.samples[k]) * x.samples[k], yy += double(y.samples[k]) * y.samples[k];
            EXPECT_LT(std::fabs(xy) / std::sqrt(xx * yy + 1), 0.5) << "blows " << a << " and " << b;
        }
}

}  // namespace
