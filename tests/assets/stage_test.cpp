// Every picture and sound the programs load, as generated into the stage.
#include "readers.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT;
extern const platform::ResourceBlob QUELMAR_EDITOR_RESOURCES[];
extern const std::size_t QUELMAR_EDITOR_RESOURCE_COUNT;

using namespace assettest;

namespace {

const std::string STAGE = QUELMAR_STAGE_DIR;
const std::string TILE_CODES = "as#dqfltcr0)123456(uvwxyzebm79h8pnogki@j";
const std::string ITEM_CODES = "ebm79h8pnouvwxyz";

std::string code(char c) { return std::string(1, c); }

Bmp bmpAt(const std::string& rel) { return readBmp(readBytes(STAGE + "/" + rel)); }

int distinctColours(const Bmp& b) { return static_cast<int>(std::set<Rgb>(b.px.begin(), b.px.end()).size()); }

// Hue in degrees of the mean of the picture's strongly coloured pixels; -1 if none.
double dominantHue(const Bmp& b) {
    double r = 0, g = 0, bl = 0;
    int n = 0;
    for (const Rgb& c : b.px) {
        const int mx = std::max({c.r, c.g, c.b}), mn = std::min({c.r, c.g, c.b});
        if (mx < 60 || mx - mn < 0.45 * mx) continue;
        r += c.r, g += c.g, bl += c.b, ++n;
    }
    if (n == 0) return -1;
    r /= n, g /= n, bl /= n;
    const double mx = std::max({r, g, bl}), mn = std::min({r, g, bl}), d = mx - mn;
    double h = mx == r ? std::fmod((g - bl) / d, 6.0) : mx == g ? (bl - r) / d + 2 : (r - g) / d + 4;
    h *= 60;
    return h < 0 ? h + 360 : h;
}

Rgb mean(const Bmp& b) {
    long r = 0, g = 0, bl = 0;
    for (const Rgb& c : b.px) r += c.r, g += c.g, bl += c.b;
    const long n = static_cast<long>(b.px.size());
    return {static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(bl / n)};
}

double distance(Rgb a, Rgb b) { return std::sqrt(double((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b))); }

}  // namespace

TEST(StagePictures, EveryTileIs24By24With24BitsAndAtLeastSixColours) {
    for (char c : TILE_CODES) {
        const Bmp b = bmpAt("Images/" + code(c) + ".bmp");
        ASSERT_TRUE(b.ok) << c << ": " << b.why;
        EXPECT_EQ(b.w, 24) << c;
        EXPECT_EQ(b.h, 24) << c;
        EXPECT_GE(distinctColours(b), 6) << "tile " << c << " is too flat";
    }
}

TEST(StagePictures, ItemCopiesAndTheEmptySlotAre24By21) {
    std::vector<std::string> names = {"pas"};
    for (char c : ITEM_CODES) names.push_back("copie de " + code(c));
    for (const auto& n : names) {
        const Bmp b = bmpAt("Images/" + n + ".bmp");
        ASSERT_TRUE(b.ok) << n << ": " << b.why;
        EXPECT_EQ(b.w, 24) << n;
        EXPECT_EQ(b.h, 21) << n;
    }
    // A copy keeps the object: it has as many colours as its tile, near enough.
    for (char c : ITEM_CODES)
        EXPECT_GE(distinctColours(bmpAt("Images/copie de " + code(c) + ".bmp")),
                  distinctColours(bmpAt("Images/" + code(c) + ".bmp")) - 2) << c;
}

TEST(StagePictures, CreditsBackdropIsCalmAndTheSizeOfTheWindow) {
    const Bmp b = bmpAt("Images/credits.bmp");
    ASSERT_TRUE(b.ok) << b.why;
    EXPECT_EQ(b.w, 390);
    EXPECT_EQ(b.h, 350);
    // Black text goes over it: the backdrop is light everywhere inside its border.
    int dark = 0;
    for (int y = 20; y < 330; ++y)
        for (int x = 20; x < 370; ++x) {
            const Rgb c = b.at(x, y);
            if (c.r + c.g + c.b < 3 * 140) ++dark;
        }
    EXPECT_EQ(dark, 0);
}

TEST(StagePictures, HeroIconsHaveTransparencyAndAMatchingMask) {
    for (const char* n : {"hommed", "hommeg", "hommem"}) {
        const Icon i = readIco(readBytes(STAGE + "/Images/" + n + ".ico"));
        ASSERT_TRUE(i.ok) << n << ": " << i.why;
        EXPECT_EQ(i.w, 24) << n;
        EXPECT_EQ(i.h, 24) << n;
        int clear = 0, solid = 0;
        for (std::size_t k = 0; k < i.alpha.size(); ++k) {
            clear += i.alpha[k] == 0;
            solid += i.alpha[k] == 255;
            EXPECT_EQ(i.maskTransparent[k], i.alpha[k] < 128) << n << " pixel " << k;
        }
        EXPECT_GT(clear, 24 * 24 / 4) << n;  // the tile shows around the knight
        EXPECT_GT(solid, 24 * 24 / 5) << n;
    }
    // Left is the mirror of right.
    const Icon r = readIco(readBytes(STAGE + "/Images/hommed.ico"));
    const Icon l = readIco(readBytes(STAGE + "/Images/hommeg.ico"));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) ASSERT_EQ(r.alpha[y * 24 + x], l.alpha[y * 24 + 23 - x]);
}

TEST(StagePictures, DoorsAndKeysShareTheirColourInTheNamedOrder) {
    // yellow, green, blue, red, orange, violet, as hue ranges in degrees
    const std::vector<std::pair<double, double>> hues = {{45, 65}, {90, 150}, {200, 240}, {-15, 10}, {20, 40}, {260, 300}};
    const std::string doors = "123456", keys = "uvwxyz";
    for (int k = 0; k < 6; ++k) {
        for (const std::string& name : {code(doors[k]), code(keys[k])}) {
            for (const std::string dir : {"Images/", "imagese/"}) {
                double h = dominantHue(bmpAt(dir + name + ".bmp"));
                if (h > 300) h -= 360;
                EXPECT_GE(h, hues[k].first) << dir << name;
                EXPECT_LE(h, hues[k].second) << dir << name;
            }
        }
    }
}

TEST(StagePictures, LavaDriedLavaAndFloorAreClearlyDifferent) {
    const Rgb lava = mean(bmpAt("Images/d.bmp")), dried = mean(bmpAt("Images/#.bmp")), floor = mean(bmpAt("Images/s.bmp"));
    EXPECT_GT(lava.r, 180);  // hot: bright and red-orange
    EXPECT_GT(lava.r, lava.g + 60);
    EXPECT_GT(lava.g, lava.b);
    EXPECT_LT(dried.r + dried.g + dried.b, 3 * 70);  // cooled rock: dark
    EXPECT_GT(distance(lava, floor), 100);
    EXPECT_GT(distance(dried, floor), 80);
    EXPECT_GT(distance(lava, dried), 100);
}

TEST(StagePictures, EditorSetHasEveryCodeAndTheStartMarkerAt7Pixels) {
    std::map<std::string, Bmp> set;
    for (char c : TILE_CODES) set[code(c)] = bmpAt("imagese/" + code(c) + ".bmp");
    set["²"] = bmpAt("imagese/².bmp");
    for (const auto& [n, b] : set) {
        ASSERT_TRUE(b.ok) << n << ": " << b.why;
        EXPECT_EQ(b.w, 7) << n;
        EXPECT_EQ(b.h, 7) << n;
    }
    // No two codes look the same at 7 pixels; neighbours in the menu differ clearly.
    for (auto a = set.begin(); a != set.end(); ++a)
        for (auto b = std::next(a); b != set.end(); ++b) {
            double sum = 0;
            for (std::size_t k = 0; k < 49; ++k) sum += distance(a->second.px[k], b->second.px[k]);
            EXPECT_GT(sum / 49, 12.0) << a->first << " and " << b->first << " are hard to tell apart";
        }
}

TEST(StagePictures, EmbeddedTitleAndProgramIcons) {
    std::map<int, const platform::ResourceBlob*> game, editor;
    for (std::size_t i = 0; i < QUELMAR_GAME_RESOURCE_COUNT; ++i) game[QUELMAR_GAME_RESOURCES[i].id] = &QUELMAR_GAME_RESOURCES[i];
    for (std::size_t i = 0; i < QUELMAR_EDITOR_RESOURCE_COUNT; ++i) editor[QUELMAR_EDITOR_RESOURCES[i].id] = &QUELMAR_EDITOR_RESOURCES[i];
    ASSERT_TRUE(game.count(120));
    const Bmp title = readBmp({game[120]->data, game[120]->data + game[120]->size});
    ASSERT_TRUE(title.ok) << title.why;
    EXPECT_EQ(title.w, 390);
    EXPECT_EQ(title.h, 350);
    for (int id : {103, 107}) {
        ASSERT_TRUE(game.count(id)) << id;
        EXPECT_TRUE(readIco({game[id]->data, game[id]->data + game[id]->size}).ok) << id;
    }
    ASSERT_TRUE(editor.count(101));
    EXPECT_TRUE(readIco({editor[101]->data, editor[101]->data + editor[101]->size}).ok);
}

namespace {

const std::vector<std::string> EFFECTS = {
    "marche0", "marche1", "saut", "echelle", "porteferme", "lave", "atterissage", "atterissageMort",
    "ramasse", "clé", "potion", "tresor", "harpe", "porteouverte", "utilclé", "slash", "épée mur",
    "potionbrise", "lave2", "caisse", "épée 0", "épée 1", "épée 2", "épée 3", "épée 4", "épée 5",
    "épée 6", "mortGoule", "épée fin", "pierre"};
const std::vector<std::string> MUSIC = {"MusicNormale", "MusicCombats", "MusicBoutique", "MusicIntro", "MusicFin"};

Wav wavAt(const std::string& name) { return readWav(readBytes(STAGE + "/sons/" + name + ".wav")); }

void expectCleanLevels(const Wav& w, const std::string& name) {
    int peak = 0, atFullScale = 0;
    for (std::int16_t s : w.samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
        atFullScale += std::abs(static_cast<int>(s)) >= 32767;
    }
    EXPECT_EQ(atFullScale, 0) << name << " clips";
    EXPECT_GT(peak, 32768 / 4) << name << " is nearly silent";  // louder than -12 dBFS
}

}  // namespace

TEST(StageSounds, EveryEffectIsShortMono16Bit22050) {
    for (const auto& n : EFFECTS) {
        const Wav w = wavAt(n);
        ASSERT_TRUE(w.ok) << n << ": " << w.why;
        EXPECT_EQ(w.format, 1) << n;
        EXPECT_EQ(w.channels, 1) << n;
        EXPECT_EQ(w.bits, 16) << n;
        EXPECT_EQ(w.rate, 22050) << n;
        EXPECT_GT(w.seconds(), 0.05) << n;
        EXPECT_LE(w.seconds(), 3.0) << n;
        expectCleanLevels(w, n);
        // Effects end in silence, so being cut off or ending never clicks.
        EXPECT_LT(std::abs(static_cast<int>(w.samples.back())), 200) << n;
    }
}

TEST(StageSounds, TheSevenBlowsAreDifferentSounds) {
    std::vector<Wav> blows;
    for (int i = 0; i < 7; ++i) blows.push_back(wavAt("épée " + std::to_string(i)));
    for (int a = 0; a < 7; ++a)
        for (int b = a + 1; b < 7; ++b) {
            // Normalised correlation over the common length: well below 1 for different sounds.
            const std::size_t n = std::min(blows[a].samples.size(), blows[b].samples.size());
            double ab = 0, aa = 0, bb = 0;
            for (std::size_t k = 0; k < n; ++k) {
                const double x = blows[a].samples[k], y = blows[b].samples[k];
                ab += x * y, aa += x * x, bb += y * y;
            }
            EXPECT_LT(std::fabs(ab) / std::sqrt(aa * bb + 1), 0.5) << "blows " << a << " and " << b;
        }
}

TEST(StageSounds, MusicLoopsAreLongAndSeamless) {
    for (const auto& n : MUSIC) {
        const Wav w = wavAt(n);
        ASSERT_TRUE(w.ok) << n << ": " << w.why;
        EXPECT_EQ(w.channels, 1) << n;
        EXPECT_EQ(w.bits, 16) << n;
        EXPECT_EQ(w.rate, 22050) << n;
        EXPECT_GE(w.seconds(), 30) << n;
        EXPECT_LE(w.seconds(), 90) << n;
        expectCleanLevels(w, n);
        int inner = 0;
        for (std::size_t k = 1; k < w.samples.size(); ++k)
            inner = std::max(inner, std::abs(w.samples[k] - w.samples[k - 1]));
        const int seam = std::abs(w.samples.front() - w.samples.back());
        EXPECT_LE(seam, inner) << n;
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
