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

TEST(StagePictures, CreditsBackdropIsLightUnderTheText) {
    const Pic b = picture("Images/credits.bmp");
    ASSERT_TRUE(b.ok);
    int dark = 0;  // black text goes over it, inside the border
    for (int y = 20; y < 330; ++y)
        for (int x = 20; x < 370; ++x) dark += b.at(x, y)[0] + b.at(x, y)[1] + b.at(x, y)[2] < 3 * 140;
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
    const Rgb lava = mean(picture("Images/d.bmp")), dried = mean(picture("Images/#.bmp")), floor = mean(picture("Images/s.bmp"));
    EXPECT_TRUE(lava[0] > 180 && lava[0] > lava[1] + 60 && lava[1] > lava[2]) << "not hot: bright and red-orange";
    EXPECT_LT(dried[0] + dried[1] + dried[2], 3 * 70) << "not cooled rock: dark";
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
