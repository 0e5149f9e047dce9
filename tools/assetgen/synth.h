// Sound synthesis: the voices the effect recipes and the music are made of.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace assetgen {

constexpr int SAMPLE_RATE = 22050;

using Samples = std::vector<float>;

// Named parameters of one voice, read from a recipe line ("freq 440 dur 0.3 ...").
struct Params {
    std::map<std::string, double> values;
    std::map<std::string, std::string> words;
    double get(const std::string& k, double fallback) const {
        auto it = values.find(k);
        return it == values.end() ? fallback : it->second;
    }
    std::string word(const std::string& k, const std::string& fallback) const {
        auto it = words.find(k);
        return it == words.end() ? fallback : it->second;
    }
};

// Deterministic noise, so every build writes the same files.
struct Noise {
    std::uint32_t s;
    explicit Noise(std::uint32_t seed) : s(seed * 747796405u + 2891336453u) {}
    float next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return static_cast<float>(s & 0xFFFFFF) / 8388608.0f - 1.0f;
    }
};

// Adds one voice of the given type into out, starting at sample offset `at`.
// Types: pluck, tone, noise, ring, bubble, drum, drone, wind. Throws on an unknown type.
void addVoice(Samples& out, std::size_t at, const std::string& type, const Params& p, std::uint32_t seed);

// How many seconds a voice sounds with these parameters (its notes' tails included).
double voiceLength(const std::string& type, const Params& p);

double noteFrequency(const std::string& name);  // "A4" = 440, "C#3", "Bb2"; throws when malformed

struct Levels {
    double peak = 0;        // largest absolute sample, full scale 1
    double rms = 0;
    int clipped = 0;        // samples at or beyond full scale before conversion
    double loopStep = 0;    // |first - last| as a loop
    double maxStep = 0;     // largest step between neighbours inside
};
Levels measure(const Samples& s);

// Mono 16-bit PCM at SAMPLE_RATE.
std::vector<std::uint8_t> encodeWav(const Samples& s);
Samples scaleToPeak(const Samples& s, double peak);

}  // namespace assetgen
