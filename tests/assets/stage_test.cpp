// Every picture and sound the programs load, as generated into the stage.
#include "readers.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[], QUELMAR_EDITOR_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT, QUELMAR_EDITOR_RESOURCE_COUNT;

using namespace assettest;

namespace {

const std::string STAGE = QUELMAR_STAGE_DIR;
const std::string TILES = "as#dqfltcr0)123456(uvwxyzebm79h8pnogki@j", ITEMS = "ebm79h8pnouvwxyz";

Pic picture(const std::string& rel) { return readPicture(readBytes(STAGE + "/" + rel)); }
std::string bmp(const char* dir, char c) { return std::string(dir) + c + ".bmp"; }
std::size_t colours(const Pic& p) { return std::set<unsigned>(p.px.begin(), p.px.end()).size(); }
int channel(unsigned c, int k) { return c >> (16 - 8 * k) & 0xFF; }  // 0 red, 1 green, 2 blue
double distance(unsigned a, unsigned b) {
    double d = 0;
    for (int k = 0; k < 3; ++k) d += std::pow(channel(a, k) - channel(b, k), 2);
    return std::sqrt(d);
}
unsigned mean(const Pic& p, bool strongOnly = false) {  // of all pixels, or of the strongly coloured ones
    double sum[3] = {0, 0, 0}, n = 0;
    for (unsigned c : p.px) {
        const int mx = std::max({channel(c, 0), channel(c, 1), channel(c, 2)}), mn = std::min({channel(c, 0), channel(c, 1), channel(c, 2)});
        if (strongOnly && (mx < 60 || mx - mn < 0.45 * mx)) continue;
        for (int k = 0; k < 3; ++k) sum[k] += channel(c, k);
        ++n;
    }
    return n ? unsigned(sum[0] / n) << 16 | unsigned(sum[1] / n) << 8 | unsigned(sum[2] / n) : 0;
}
double hue(unsigned c) {  // degrees, -60..300
    const int r = channel(c, 0), g = channel(c, 1), b = channel(c, 2), mx = std::max({r, g, b}), d = mx - std::min({r, g, b});
    const double h = 60.0 * (mx == r ? double(g - b) / d : mx == g ? double(b - r) / d + 2 : double(r - g) / d + 4);
    return h > 300 ? h - 360 : h;
}

TEST(StagePictures, EveryPictureHasItsFormatAndSize) {
    std::vector<std::tuple<std::string, int, int>> files = {{"Images/credits.bmp", 390, 350}, {"Images/pas.bmp", 24, 21},
                                                            {"imagese/².bmp", 7, 7}};
    for (char c : TILES) files.insert(files.end(), {{bmp("Images/", c), 24, 24}, {bmp("imagese/", c), 7, 7}});
    for (char c : ITEMS) files.push_back({bmp("Images/copie de ", c), 24, 21});
    for (const char* n : {"hommed", "hommeg", "hommem"}) files.push_back({std::string("Images/") + n + ".ico", 24, 24});
    for (const auto& [name, w, h] : files) {
        const Pic p = picture(name);
        EXPECT_TRUE(p.ok) << name;
        EXPECT_EQ(std::pair(p.w, p.h), std::pair(w, h)) << name;
    }
    // Built into the programs: the title picture and the icons.
    const platform::ResourceBlob *game = QUELMAR_GAME_RESOURCES, *editor = QUELMAR_EDITOR_RESOURCES;
    for (auto [table, end, id] : {std::tuple{game, game + QUELMAR_GAME_RESOURCE_COUNT, 120}, {game, game + QUELMAR_GAME_RESOURCE_COUNT, 103},
                                  {game, game + QUELMAR_GAME_RESOURCE_COUNT, 107}, {editor, editor + QUELMAR_EDITOR_RESOURCE_COUNT, 101}}) {
        const platform::ResourceBlob* r = std::find_if(table, end, [id = id](auto& e) { return e.id == id; });
        ASSERT_NE(r, end) << id;
        const Pic p = readPicture({r->data, r->data + r->size});
        EXPECT_TRUE(p.ok) << id;
        if (id == 120) {
            EXPECT_EQ(std::pair(p.w, p.h), std::pair(390, 350));
        }
    }
}

TEST(StagePictures, TilesAreDetailedAndItemCopiesKeepTheObject) {
    for (char c : TILES) EXPECT_GE(colours(picture(bmp("Images/", c))), 6u) << "tile " << c << " is too flat";
    for (char c : ITEMS) EXPECT_GE(colours(picture(bmp("Images/copie de ", c))) + 2, colours(picture(bmp("Images/", c)))) << c;
}

TEST(StagePictures, CreditsBackdropIsLightUnderTheText) {
    const Pic b = picture("Images/credits.bmp");
    ASSERT_TRUE(b.ok);
    int dark = 0;  // black text goes over it, inside the border
    for (int y = 20; y < 330; ++y)
        for (int x = 20; x < 370; ++x) dark += channel(b.at(x, y), 0) + channel(b.at(x, y), 1) + channel(b.at(x, y), 2) < 3 * 140;
    EXPECT_EQ(dark, 0);
}

TEST(StagePictures, HeroIconsHaveTransparencyAndAMatchingMaskAndLeftMirrorsRight) {
    std::map<std::string, Pic> icons;
    for (const char* n : {"hommed", "hommeg", "hommem"}) {
        const Pic& i = icons[n] = picture(std::string("Images/") + n + ".ico");
        ASSERT_TRUE(i.ok) << n;
        for (std::size_t k = 0; k < i.alpha.size(); ++k) EXPECT_EQ(i.maskClear[k], i.alpha[k] < 128) << n << " pixel " << k;
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
            for (const char* dir : {"Images/", "imagese/"}) {
                const double h = hue(mean(picture(bmp(dir, c)), true));
                EXPECT_TRUE(h >= hues[k][0] && h <= hues[k][1]) << dir << c << ": " << h;
            }
}

TEST(StagePictures, LavaDriedLavaAndFloorAreClearlyDifferent) {
    const unsigned lava = mean(picture("Images/d.bmp")), dried = mean(picture("Images/#.bmp")), floor = mean(picture("Images/s.bmp"));
    EXPECT_GT(channel(lava, 0), 180);  // hot: bright and red-orange
    EXPECT_GT(channel(lava, 0), channel(lava, 1) + 60);
    EXPECT_GT(channel(lava, 1), channel(lava, 2));
    EXPECT_LT(channel(dried, 0) + channel(dried, 1) + channel(dried, 2), 3 * 70);  // cooled rock: dark
    EXPECT_GT(distance(lava, floor), 100);
    EXPECT_GT(distance(dried, floor), 80);
    EXPECT_GT(distance(lava, dried), 100);
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
        EXPECT_GE(w.seconds(), music ? 30 : 0.05) << n;
        EXPECT_LE(w.seconds(), music ? 90 : 3) << n;
        int peak = 0, clipped = 0, inner = 0;
        for (std::size_t k = 0; k < w.samples.size(); ++k) {
            peak = std::max(peak, std::abs(w.samples[k]));
            clipped += std::abs(w.samples[k]) >= 32767;
            if (k) inner = std::max(inner, std::abs(w.samples[k] - w.samples[k - 1]));
        }
        EXPECT_EQ(clipped, 0) << n << " clips";
        EXPECT_GT(peak, 32768 / 4) << n << " is nearly silent";  // louder than -12 dBFS
        if (!music) {  // effects end in silence, so being cut off or ending never clicks
            EXPECT_LT(std::abs(w.samples.back()), 200) << n;
            continue;
        }
        EXPECT_LE(std::abs(w.samples.front() - w.samples.back()), inner) << n << ": the loop point clicks";
        // Music, not noise: the loudness moves with the notes (100 ms windows differ).
        std::vector<double> rms;
        for (std::size_t at = 0; at + 2205 <= w.samples.size(); at += 2205) {
            double s = 0;
            for (std::size_t k = at; k < at + 2205; ++k) s += double(w.samples[k]) * w.samples[k];
            rms.push_back(std::sqrt(s / 2205));
        }
        const auto [lo, hi] = std::minmax_element(rms.begin(), rms.end());
        EXPECT_GT(*hi, *lo * 1.5) << n;
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
