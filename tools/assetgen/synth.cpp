#include "synth.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>

namespace assetgen {

namespace {

constexpr double PI = 3.14159265358979323846;

// State-variable filter in the trapezoidal (zero-delay) form: stable at every cut-off
// below Nyquist and every resonance, even when the cut-off moves each sample.
struct Svf {
    double ic1 = 0, ic2 = 0, a1 = 1, a2 = 0, a3 = 0, k = 1.4;
    void set(double cutoff, double resonance) {
        cutoff = std::clamp(cutoff, 20.0, SAMPLE_RATE * 0.45);
        const double g = std::tan(PI * cutoff / SAMPLE_RATE);
        k = 1.0 / std::max(0.5, resonance);
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    // Returns low, band and high outputs.
    void step(double in, double& lo, double& bp, double& hi) {
        const double v3 = in - ic2;
        const double v1 = a1 * ic1 + a2 * v3;
        const double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        lo = v2;
        bp = v1;
        hi = in - k * v1 - v2;
    }
};

// Filtering stage common to every voice: "lp", "hp" and "bp" cut-offs, "q" resonance,
// "lp2" for a cut-off gliding from lp to lp2 over the voice.
struct Tone {
    Svf lp, hp, bp;
    double lpFrom = 0, lpTo = 0, hpCut = 0, bpCut = 0, q = 0.7;
    explicit Tone(const Params& p) {
        lpFrom = p.get("lp", 0);
        lpTo = p.get("lp2", lpFrom);
        hpCut = p.get("hp", 0);
        bpCut = p.get("bp", 0);
        q = p.get("q", 0.7);
        if (lpFrom > 0) lp.set(lpFrom, q);
        if (hpCut > 0) hp.set(hpCut, 0.7);
        if (bpCut > 0) bp.set(bpCut, q);
    }
    double run(double x, double progress) {
        double lo, band, hi;
        if (lpFrom > 0) {
            if (lpTo != lpFrom) lp.set(lpFrom + (lpTo - lpFrom) * progress, q);
            lp.step(x, lo, band, hi);
            x = lo;
        }
        if (hpCut > 0) {
            hp.step(x, lo, band, hi);
            x = hi;
        }
        if (bpCut > 0) {
            bp.step(x, lo, band, hi);
            x = band;
        }
        return x;
    }
};

// Attack, exponential decay, hold until dur, then a release ramp.
double envelope(double t, double dur, double attack, double decay, double release) {
    if (t < 0) return 0;
    double e = attack > 0 && t < attack ? t / attack : 1.0;
    if (decay > 0) e *= std::exp(-(t - std::min(t, attack)) / decay);
    if (t > dur) e *= std::max(0.0, 1.0 - (t - dur) / std::max(release, 1e-4));
    return e;
}

enum class Shape { Sine, Square, Saw, Triangle };

Shape shapeNamed(const std::string& name) {
    if (name == "square") return Shape::Square;
    if (name == "saw") return Shape::Saw;
    if (name == "triangle") return Shape::Triangle;
    if (name == "sine") return Shape::Sine;
    throw std::runtime_error("unknown wave '" + name + "'");
}

double wave(Shape shape, double phase) {
    const double ph = phase - std::floor(phase);
    switch (shape) {
        case Shape::Square: return ph < 0.5 ? 0.7 : -0.7;
        case Shape::Saw: return 2 * ph - 1;
        case Shape::Triangle: return ph < 0.5 ? 4 * ph - 1 : 3 - 4 * ph;
        case Shape::Sine: break;
    }
    return std::sin(2 * PI * ph);
}

std::vector<double> numberList(const std::string& s) {
    std::vector<double> v;
    std::stringstream ss(s);
    std::string part;
    while (std::getline(ss, part, ',')) v.push_back(std::stod(part));
    return v;
}

void mixIn(Samples& out, std::size_t at, const std::vector<double>& v) {
    if (out.size() < at + v.size()) out.resize(at + v.size(), 0.0f);
    for (std::size_t i = 0; i < v.size(); ++i) out[at + i] += static_cast<float>(v[i]);
}

std::size_t samplesFor(double seconds) { return static_cast<std::size_t>(std::max(0.0, seconds) * SAMPLE_RATE); }

// Karplus-Strong plucked string with a fractional delay line.
std::vector<double> pluck(const Params& p, std::uint32_t seed) {
    const double freq = p.get("freq", 220), dur = p.get("dur", 1.0), release = p.get("release", 0.08);
    const double sustain = p.get("sustain", 1.5);  // seconds to fall by 60 dB
    const double bright = std::clamp(p.get("bright", 0.5), 0.05, 1.0);
    const double amp = p.get("amp", 0.5);
    const std::size_t n = samplesFor(dur + release);
    std::vector<double> out(n);
    const double period = SAMPLE_RATE / freq - 0.5;
    Noise rnd(seed);
    // Excitation: a burst of noise smoothed by the brightness, with its mean removed.
    double lp = 0, mean = 0;
    const std::size_t plen = static_cast<std::size_t>(period) + 1;
    std::vector<double> burst(plen);
    for (std::size_t i = 0; i < plen; ++i) {
        lp += bright * (rnd.next() - lp);
        burst[i] = lp;
        mean += lp;
    }
    mean /= static_cast<double>(plen);
    const double gain = std::pow(10.0, -3.0 / (freq * sustain));
    std::vector<double> hist(n + plen + 4, 0.0);
    Tone tone(p);
    for (std::size_t i = 0; i < n; ++i) {
        double x;
        if (i < plen) {
            x = (burst[i] - mean) * 1.6;
        } else {
            const double pos = static_cast<double>(i) - period;
            const std::size_t a = static_cast<std::size_t>(pos);
            const double frac = pos - static_cast<double>(a);
            const double d0 = hist[a] * (1 - frac) + hist[a + 1] * frac;
            const double d1 = a > 0 ? hist[a - 1] * (1 - frac) + hist[a] * frac : d0;
            x = gain * 0.5 * (d0 + d1);
        }
        hist[i] = x;
        const double t = static_cast<double>(i) / SAMPLE_RATE;
        out[i] = amp * tone.run(x, t / (dur + release)) * envelope(t, dur, 0.001, 0, release);
    }
    return out;
}

std::vector<double> toneVoice(const Params& p, std::uint32_t) {
    const double f0 = p.get("freq", 440), f1 = p.get("freq2", f0);
    const double dur = p.get("dur", 0.3), attack = p.get("attack", 0.005), decay = p.get("decay", 0);
    const double release = p.get("release", 0.03), amp = p.get("amp", 0.5);
    const double vib = p.get("vib", 0), vibRate = p.get("vibrate", 5.5);
    const Shape shape = shapeNamed(p.word("wave", "sine"));
    const std::size_t n = samplesFor(dur + release);
    std::vector<double> out(n);
    Tone tone(p);
    double phase = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SAMPLE_RATE, prog = std::min(1.0, t / dur);
        double f = f0 * std::pow(f1 / f0, prog);  // exponential glide
        f *= std::pow(2.0, vib / 12 * std::sin(2 * PI * vibRate * t) * std::min(1.0, t / 0.25));
        phase += f / SAMPLE_RATE;
        out[i] = amp * tone.run(wave(shape, phase), prog) * envelope(t, dur, attack, decay, release);
    }
    return out;
}

std::vector<double> noiseVoice(const Params& p, std::uint32_t seed) {
    const double dur = p.get("dur", 0.2), attack = p.get("attack", 0.002), decay = p.get("decay", 0);
    const double release = p.get("release", 0.02), amp = p.get("amp", 0.5);
    const double crackle = p.get("crackle", 0);  // chance per sample of a loud grain
    const std::size_t n = samplesFor(dur + release);
    std::vector<double> out(n);
    Noise rnd(seed);
    Tone tone(p);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SAMPLE_RATE;
        double x = rnd.next();
        if (crackle > 0) x = (rnd.next() * 0.5 + 0.5) < crackle ? x * 2.5 : x * 0.2;
        out[i] = amp * tone.run(x, std::min(1.0, t / dur)) * envelope(t, dur, attack, decay, release);
    }
    return out;
}

// A metallic ring: inharmonic partials, the high ones dying first.
std::vector<double> ring(const Params& p, std::uint32_t seed) {
    const double freq = p.get("freq", 800), dur = p.get("dur", 1.0), decay = p.get("decay", 0.4);
    const double amp = p.get("amp", 0.4), release = p.get("release", 0.05);
    const auto ratios = numberList(p.word("partials", "1,2.76,5.40,8.93"));
    const std::size_t n = samplesFor(dur + release);
    std::vector<double> out(n, 0.0);
    Noise rnd(seed);
    for (std::size_t k = 0; k < ratios.size(); ++k) {
        const double f = freq * ratios[k] * (1 + 0.003 * rnd.next());
        if (f > SAMPLE_RATE * 0.45) continue;
        const double a = 1.0 / (1 + k * 0.7), d = decay / (1 + k * 0.6);
        const double beat = 1.5 + 2 * (rnd.next() + 1);  // slight beating between twin modes
        // Past 80 dB down a partial is inaudible: stop there.
        const std::size_t audible = std::min(n, samplesFor(0.0005 + d * 9.2));
        for (std::size_t i = 0; i < audible; ++i) {
            const double t = static_cast<double>(i) / SAMPLE_RATE;
            out[i] += a * std::sin(2 * PI * f * t) * (0.85 + 0.15 * std::cos(2 * PI * beat * t)) *
                      envelope(t, dur, 0.0005, d, release);
        }
    }
    for (double& v : out) v *= amp / std::sqrt(static_cast<double>(ratios.size()));
    return out;
}

// Bubbles: short sines whose pitch rises as each bubble closes.
std::vector<double> bubble(const Params& p, std::uint32_t seed) {
    const double dur = p.get("dur", 1.0), amp = p.get("amp", 0.4);
    const double lo = p.get("freq", 300), hi = p.get("freq2", 900);
    const int count = static_cast<int>(p.get("count", 8));
    const std::size_t n = samplesFor(dur + 0.12);
    std::vector<double> out(n, 0.0);
    Noise rnd(seed);
    for (int b = 0; b < count; ++b) {
        const double start = (rnd.next() * 0.5 + 0.5) * dur;
        const double f = lo + (hi - lo) * (rnd.next() * 0.5 + 0.5);
        const double len = 0.03 + 0.05 * (rnd.next() * 0.5 + 0.5);
        const double a = amp * (0.5 + 0.5 * (rnd.next() * 0.5 + 0.5));
        double phase = 0;
        for (std::size_t i = samplesFor(start); i < n && i < samplesFor(start + len); ++i) {
            const double t = static_cast<double>(i) / SAMPLE_RATE - start;
            phase += f * (1 + 2.5 * t / len) / SAMPLE_RATE;
            // Decays, then closes to zero at its end so a bubble never clicks.
            out[i] += a * std::sin(2 * PI * phase) * std::exp(-t / (len * 0.35)) * std::min(1.0, t / 0.002) * (1 - t / len);
        }
    }
    return out;
}

// A frame drum or tabor: a falling sine thump with a short skin noise.
std::vector<double> drum(const Params& p, std::uint32_t seed) {
    const double f0 = p.get("freq", 110), dur = p.get("dur", 0.35), amp = p.get("amp", 0.6);
    const double skin = p.get("skin", 0.35), decay = p.get("decay", 0.12);
    const std::size_t n = samplesFor(dur);
    std::vector<double> out(n);
    Noise rnd(seed);
    Tone tone(p);
    double phase = 0, lp = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SAMPLE_RATE;
        phase += f0 * (1 + 1.2 * std::exp(-t / 0.02)) / SAMPLE_RATE;
        lp += 0.3 * (rnd.next() - lp);
        const double body = std::sin(2 * PI * phase) * std::exp(-t / decay);
        const double noise = lp * std::exp(-t / 0.025) * skin;
        out[i] = amp * tone.run(body + noise, t / dur) * std::min(1.0, t / 0.0008) * std::min(1.0, (dur - t) / 0.01);
    }
    return out;
}

// A drone: two bowed reeds (root and fifth) through a soft filter, swelling gently.
std::vector<double> drone(const Params& p, std::uint32_t seed) {
    const double f = p.get("freq", 73.4), dur = p.get("dur", 4), amp = p.get("amp", 0.2);
    const double attack = p.get("attack", 0.4), release = p.get("release", 0.6);
    const double fifth = p.get("fifth", 1.5);
    const std::size_t n = samplesFor(dur + release);
    std::vector<double> out(n);
    Params q = p;
    if (!q.values.count("lp")) q.values["lp"] = f * 6;
    Tone tone(q);
    Noise rnd(seed);
    double ph1 = rnd.next(), ph2 = rnd.next(), ph3 = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SAMPLE_RATE;
        const double wob = 1 + 0.002 * std::sin(2 * PI * 0.7 * t);
        ph1 += f * wob / SAMPLE_RATE;
        ph2 += f * fifth * 1.001 / SAMPLE_RATE;
        ph3 += f * 0.5 / SAMPLE_RATE;
        const double x = 0.5 * wave(Shape::Saw, ph1) + 0.35 * wave(Shape::Saw, ph2) + 0.3 * std::sin(2 * PI * ph3);
        const double swell = 0.85 + 0.15 * std::sin(2 * PI * 0.23 * t);
        out[i] = amp * tone.run(x, 0) * swell * envelope(t, dur, attack, 0, release);
    }
    return out;
}

// A recorder: a soft sine with a few harmonics, breath noise and delayed vibrato.
std::vector<double> wind(const Params& p, std::uint32_t seed) {
    const double f = p.get("freq", 587), dur = p.get("dur", 0.5), amp = p.get("amp", 0.3);
    const double attack = p.get("attack", 0.03), release = p.get("release", 0.06);
    const std::size_t n = samplesFor(dur + release);
    std::vector<double> out(n);
    Noise rnd(seed);
    Svf breath;
    breath.set(f * 2, 2);
    double phase = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SAMPLE_RATE;
        const double vib = 1 + 0.006 * std::sin(2 * PI * 5 * t) * std::clamp((t - 0.2) / 0.3, 0.0, 1.0);
        phase += f * vib / SAMPLE_RATE;
        double lo, bp, hi;
        breath.step(rnd.next(), lo, bp, hi);
        const double x = std::sin(2 * PI * phase) + 0.25 * std::sin(4 * PI * phase) + 0.12 * std::sin(6 * PI * phase) + 0.15 * bp;
        out[i] = amp * x * envelope(t, dur, attack, 0, release);
    }
    return out;
}

}  // namespace

double voiceLength(const std::string& type, const Params& p) {
    const double dur = p.get("dur", type == "drone" ? 4 : type == "pluck" ? 1.0 : 0.3);
    if (type == "drum") return dur;
    if (type == "bubble") return dur + 0.12;
    return dur + p.get("release", type == "drone" ? 0.6 : 0.05);
}

void addVoice(Samples& out, std::size_t at, const std::string& type, const Params& p, std::uint32_t seed) {
    std::vector<double> v;
    if (type == "pluck") v = pluck(p, seed);
    else if (type == "tone") v = toneVoice(p, seed);
    else if (type == "noise") v = noiseVoice(p, seed);
    else if (type == "ring") v = ring(p, seed);
    else if (type == "bubble") v = bubble(p, seed);
    else if (type == "drum") v = drum(p, seed);
    else if (type == "drone") v = drone(p, seed);
    else if (type == "wind") v = wind(p, seed);
    else throw std::runtime_error("unknown voice '" + type + "'");
    mixIn(out, at, v);
}

double noteFrequency(const std::string& name) {
    static const int offsets[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G from C
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') throw std::runtime_error("bad note '" + name + "'");
    int semis = offsets[name[0] - 'A'];
    std::size_t i = 1;
    if (name[i] == '#') semis++, i++;
    else if (name[i] == 'b') semis--, i++;
    if (i >= name.size() || name.find_first_not_of("0123456789", i) != std::string::npos)
        throw std::runtime_error("bad note '" + name + "'");
    const int octave = std::stoi(name.substr(i));
    const int midi = 12 * (octave + 1) + semis;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

Levels measure(const Samples& s) {
    Levels l;
    if (s.empty()) return l;
    double sum = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double v = s[i];
        l.peak = std::max(l.peak, std::fabs(v));
        if (std::fabs(v) >= 1.0) ++l.clipped;
        sum += v * v;
        if (i > 0) l.maxStep = std::max(l.maxStep, std::fabs(v - s[i - 1]));
    }
    l.rms = std::sqrt(sum / static_cast<double>(s.size()));
    l.loopStep = std::fabs(s.front() - s.back());
    return l;
}

Samples scaleToPeak(const Samples& s, double peak) {
    float m = 0;
    for (float v : s) m = std::max(m, std::fabs(v));
    Samples out = s;
    if (m > 0)
        for (float& v : out) v = static_cast<float>(v * peak / m);
    return out;
}

std::vector<std::uint8_t> encodeWav(const Samples& s) {
    const std::uint32_t data = static_cast<std::uint32_t>(s.size() * 2);
    std::vector<std::uint8_t> v(44 + data);
    std::size_t at = 0;
    auto put = [&](std::uint32_t x, int bytes) {
        for (int i = 0; i < bytes; ++i) v[at++] = static_cast<std::uint8_t>((x >> (8 * i)) & 255);
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) v[at++] = static_cast<std::uint8_t>(t[i]);
    };
    tag("RIFF");
    put(36 + data, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(SAMPLE_RATE, 4);
    put(SAMPLE_RATE * 2, 4);
    put(2, 2);  // bytes per frame
    put(16, 2);
    tag("data");
    put(data, 4);
    for (float x : s) {
        const long q = std::lround(std::clamp(static_cast<double>(x), -1.0, 1.0) * 32767.0);
        put(static_cast<std::uint16_t>(static_cast<std::int16_t>(q)), 2);
    }
    return v;
}

}  // namespace assetgen
