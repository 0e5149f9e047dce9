#include "sound.h"

#include "source.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace assetgen {

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream ss(text);
    std::string l;
    while (std::getline(ss, l)) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        const auto c = l.find("//");
        if (c != std::string::npos) l.erase(c);
        out.push_back(l);
    }
    return out;
}

std::string restOfLine(std::istringstream& ls) {
    std::string rest;
    std::getline(ls, rest);
    const auto b = rest.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    return rest.substr(b, rest.find_last_not_of(" \t") - b + 1);
}

bool isNote(const std::string& w) {
    return w.size() >= 2 && w[0] >= 'A' && w[0] <= 'G';
}

bool parseNumber(const std::string& w, double& v) {
    try {
        std::size_t used = 0;
        v = std::stod(w, &used);
        return used == w.size();
    } catch (const std::exception&) {
        return false;
    }
}

// "key value key value ..."; numbers become values, note names become frequencies,
// anything else a word.
Params readParams(std::istringstream& ls, const std::string& where) {
    Params p;
    std::string k, v;
    while (ls >> k) {
        if (!(ls >> v)) throw std::runtime_error(where + ": '" + k + "' has no value");
        double d;
        if (parseNumber(v, d)) p.values[k] = d;
        else if ((k == "freq" || k == "freq2") && isNote(v)) p.values[k] = noteFrequency(v);
        else p.words[k] = v;
    }
    return p;
}

std::uint32_t hashOf(const std::string& s) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : s) h = (h ^ c) * 16777619u;
    return h;
}

const std::vector<std::string>& voiceTypes() {
    static const std::vector<std::string> t = {"pluck", "tone", "noise", "ring", "bubble", "drum", "drone", "wind"};
    return t;
}

Samples finish(const Samples& raw, double peak, Levels& levels) {
    levels = measure(raw);
    return scaleToPeak(raw, peak);
}

}  // namespace

SoundResult renderEffect(const std::string& text, const std::string& file) {
    SoundResult r;
    double peak = 0.8;
    Samples out;
    int n = 0;
    const auto ls = lines(text);
    for (std::size_t i = 0; i < ls.size(); ++i) {
        std::istringstream s(ls[i]);
        const std::string where = file + ":" + std::to_string(i + 1);
        std::string key;
        if (!(s >> key)) continue;
        if (key == "name") {
            r.name = restOfLine(s);
        } else if (key == "peak") {
            if (!(s >> peak) || peak <= 0 || peak > 1) throw std::runtime_error(where + ": peak is 0 to 1");
        } else if (key == "at") {
            double t;
            std::string type;
            if (!(s >> t >> type) || t < 0) throw std::runtime_error(where + ": 'at SECONDS VOICE ...'");
            if (std::find(voiceTypes().begin(), voiceTypes().end(), type) == voiceTypes().end())
                throw std::runtime_error(where + ": unknown voice '" + type + "'");
            const Params p = readParams(s, where);
            addVoice(out, static_cast<std::size_t>(t * SAMPLE_RATE), type, p, hashOf(r.name) + 977u * ++n);
        } else {
            throw std::runtime_error(where + ": unknown keyword '" + key + "'");
        }
    }
    if (r.name.empty()) throw std::runtime_error(file + ": no name");
    if (out.empty()) throw std::runtime_error(file + ": no sound");
    // A short fade at the very end, so a voice cut by its length does not click.
    const std::size_t fade = std::min<std::size_t>(out.size(), SAMPLE_RATE / 200);
    for (std::size_t i = 0; i < fade; ++i) out[out.size() - 1 - i] *= static_cast<float>(i) / fade;
    r.samples = finish(out, peak, r.levels);
    return r;
}

namespace {

struct Voice {
    std::string type;
    Params params;
};

struct NoteEvent {
    double beat, beats, velocity;
    std::vector<double> freqs;  // several for a chord; drums take the first
};

struct Score {
    std::map<std::string, Voice> voices;
    std::map<std::string, std::vector<std::pair<std::string, NoteEvent>>> patterns;
};

// "notes VOICE BEAT tok tok ...": tok is NOTE:BEATS[:VELOCITY], NOTE+NOTE:BEATS for a
// chord, r:BEATS for a rest; '|' marks bars for the reader only.
std::vector<NoteEvent> parseNotes(std::istringstream& s, double start, const std::string& where) {
    std::vector<NoteEvent> out;
    double beat = start;
    std::string tok;
    while (s >> tok) {
        if (tok == "|") continue;
        std::vector<std::string> parts;
        std::stringstream ts(tok);
        std::string part;
        while (std::getline(ts, part, ':')) parts.push_back(part);
        double beats = 0, vel = 1;
        if (parts.size() < 2 || parts.size() > 3 || !parseNumber(parts[1], beats) || beats <= 0 ||
            (parts.size() == 3 && !parseNumber(parts[2], vel)))
            throw std::runtime_error(where + ": bad note '" + tok + "' (NOTE:BEATS[:VELOCITY])");
        if (parts[0] != "r") {
            NoteEvent e{beat, beats, vel, {}};
            std::stringstream cs(parts[0]);
            std::string nn;
            while (std::getline(cs, nn, '+')) e.freqs.push_back(noteFrequency(nn));
            out.push_back(e);
        }
        beat += beats;
    }
    return out;
}

}  // namespace

SoundResult renderMusic(const std::string& text, const std::string& file) {
    SoundResult r;
    r.music = true;
    double tempo = 0, beats = 0, peak = 0.7, humanize = 0.006, drive = 0;
    Score score;
    std::vector<std::pair<std::string, NoteEvent>> events;
    std::string openPattern;
    const auto ls = lines(text);
    for (std::size_t i = 0; i < ls.size(); ++i) {
        std::istringstream s(ls[i]);
        const std::string where = file + ":" + std::to_string(i + 1);
        std::string key;
        if (!(s >> key)) continue;
        auto& target = openPattern.empty() ? events : score.patterns[openPattern];
        if (key == "name") {
            r.name = restOfLine(s);
        } else if (key == "tempo") {
            if (!(s >> tempo) || tempo < 20 || tempo > 300) throw std::runtime_error(where + ": tempo is 20 to 300");
        } else if (key == "beats") {
            if (!(s >> beats) || beats <= 0) throw std::runtime_error(where + ": bad beats");
        } else if (key == "peak") {
            if (!(s >> peak) || peak <= 0 || peak > 1) throw std::runtime_error(where + ": peak is 0 to 1");
        } else if (key == "humanize") {
            s >> humanize;
        } else if (key == "drive") {
            // drive D: a soft saturation that tames drum peaks so the tune can be louder.
            if (!(s >> drive) || drive < 0 || drive > 4) throw std::runtime_error(where + ": drive is 0 to 4");
        } else if (key == "voice") {
            std::string name, type;
            if (!(s >> name >> type)) throw std::runtime_error(where + ": 'voice NAME TYPE params'");
            if (std::find(voiceTypes().begin(), voiceTypes().end(), type) == voiceTypes().end())
                throw std::runtime_error(where + ": unknown voice type '" + type + "'");
            score.voices[name] = {type, readParams(s, where)};
        } else if (key == "pattern") {
            if (!openPattern.empty()) throw std::runtime_error(where + ": pattern inside a pattern");
            if (!(s >> openPattern)) throw std::runtime_error(where + ": pattern needs a name");
            score.patterns[openPattern].clear();
        } else if (key == "end") {
            if (openPattern.empty()) throw std::runtime_error(where + ": 'end' without a pattern");
            openPattern.clear();
        } else if (key == "notes") {
            std::string voice;
            double at;
            if (!(s >> voice >> at)) throw std::runtime_error(where + ": 'notes VOICE BEAT tokens'");
            if (!score.voices.count(voice)) throw std::runtime_error(where + ": unknown voice '" + voice + "'");
            for (auto& e : parseNotes(s, at, where)) target.push_back({voice, e});
        } else if (key == "play") {
            // play PATTERN BEAT [transpose SEMITONES]
            std::string name, word;
            double at, semis = 0;
            if (!(s >> name >> at)) throw std::runtime_error(where + ": 'play PATTERN BEAT'");
            if (s >> word) {
                if (word != "transpose" || !(s >> semis)) throw std::runtime_error(where + ": 'transpose N' expected");
            }
            auto it = score.patterns.find(name);
            if (it == score.patterns.end() || name == openPattern)
                throw std::runtime_error(where + ": unknown pattern '" + name + "'");
            const double ratio = std::pow(2.0, semis / 12.0);
            for (auto [voice, e] : it->second) {
                e.beat += at;
                for (double& f : e.freqs) f *= ratio;
                target.push_back({voice, e});
            }
        } else {
            throw std::runtime_error(where + ": unknown keyword '" + key + "'");
        }
    }
    if (r.name.empty() || tempo == 0 || beats == 0) throw std::runtime_error(file + ": needs name, tempo and beats");
    if (!openPattern.empty()) throw std::runtime_error(file + ": pattern " + openPattern + " has no end");
    if (events.empty()) throw std::runtime_error(file + ": no notes");

    const double spb = 60.0 / tempo;
    const std::size_t length = static_cast<std::size_t>(std::llround(beats * spb * SAMPLE_RATE));
    Samples mix(length, 0.0f);
    Noise jitter(hashOf(r.name));
    std::uint32_t n = 0;
    for (const auto& [voiceName, e] : events) {
        const Voice& v = score.voices.at(voiceName);
        for (double f : e.freqs) {
            Params p = v.params;
            p.values["freq"] = f;
            if (p.values.count("freq2")) p.values["freq2"] = v.params.values.at("freq2") * f / v.params.get("freq", f);
            p.values["dur"] = e.beats * spb * v.params.get("gate", 1.0);
            p.values["amp"] = v.params.get("amp", 0.4) * e.velocity * (1 + 0.06 * jitter.next());
            Samples one;
            addVoice(one, 0, v.type, p, hashOf(r.name) + 7919u * ++n);
            // Start a little early or late, as a player would; the loop wraps every tail.
            const long shift = std::lround((e.beat * spb + humanize * jitter.next()) * SAMPLE_RATE);
            const long len = static_cast<long>(length);
            std::size_t at = static_cast<std::size_t>((shift % len + len) % len);
            for (float v : one) {
                mix[at] += v;
                if (++at == length) at = 0;
            }
            if (v.type == "drum") break;
        }
    }
    if (drive > 0) {
        const Samples unit = scaleToPeak(mix, 1.0);
        r.levels = measure(mix);
        Samples soft(unit.size());
        for (std::size_t k = 0; k < unit.size(); ++k) soft[k] = static_cast<float>(std::tanh(drive * unit[k]));
        r.samples = scaleToPeak(soft, peak);
        return r;
    }
    r.samples = finish(mix, peak, r.levels);
    return r;
}

std::vector<SoundResult> writeSounds(const std::string& sourceDir, const std::string& stage,
                                     const std::string& levelsPath) {
    std::vector<SoundResult> all;
    const fs::path root(sourceDir);
    std::vector<fs::path> files;
    for (const char* sub : {"sounds", "music"})
        if (fs::is_directory(root / sub))
            for (const auto& e : fs::directory_iterator(root / sub)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    const fs::path sons = fs::path(stage) / "sons";
    fs::create_directories(sons);
    std::map<std::string, std::string> seen;
    for (const auto& f : files) {
        const std::string text = readText(f.string());
        SoundResult r;
        if (f.extension() == ".snd") r = renderEffect(text, f.string());
        else if (f.extension() == ".mus") r = renderMusic(text, f.string());
        else continue;
        if (seen.count(r.name)) throw std::runtime_error(f.string() + ": sound '" + r.name + "' also made by " + seen[r.name]);
        seen[r.name] = f.string();
        writeFile((sons / (r.name + ".wav")).string(), encodeWav(r.samples));
        all.push_back(std::move(r));
    }
    if (!levelsPath.empty()) {
        std::ofstream o(levelsPath, std::ios::trunc);
        o << "# sound, seconds, peak dBFS, rms dBFS (after scaling), raw mix peak, loop step / largest inner step\n";
        for (const auto& r : all) {
            const Levels out = measure(r.samples);
            char line[256];
            std::snprintf(line, sizeof line, "%-20s %6.2f s  peak %6.1f dB  rms %6.1f dB  raw %.2f", r.name.c_str(),
                          static_cast<double>(r.samples.size()) / SAMPLE_RATE, 20 * std::log10(out.peak),
                          20 * std::log10(std::max(out.rms, 1e-9)), r.levels.peak);
            o << line;
            if (r.music) {
                std::snprintf(line, sizeof line, "  loop %.4f / %.4f", out.loopStep, out.maxStep);
                o << line;
            }
            o << "\n";
        }
    }
    return all;
}

}  // namespace assetgen
