// Sound sources: effect recipes (.snd) and music scores (.mus), rendered with the voices
// of synth.h into mono 16-bit wave files.
#pragma once

#include "synth.h"

#include <string>
#include <vector>

namespace assetgen {

struct SoundResult {
    std::string name;  // file name without ".wav" (UTF-8, may hold accents and blanks)
    bool music = false;
    Samples samples;   // already scaled to the source's peak
    Levels levels;     // measured on the raw mix, before scaling
};

// An effect: "name", "peak", then "at SECONDS VOICE key value ..." lines.
SoundResult renderEffect(const std::string& text, const std::string& file);

// A music loop: "name", "tempo", "beats", "peak", "voice" definitions, "pattern"/"end"
// blocks, "play" and "notes" lines. Everything sounding past the end wraps to the start,
// so the loop has no seam.
SoundResult renderMusic(const std::string& text, const std::string& file);

// Renders every .snd under dir/sounds and .mus under dir/music into stage/sons, and
// writes a table of lengths and levels to levelsPath when it is not empty.
std::vector<SoundResult> writeSounds(const std::string& sourceDir, const std::string& stage,
                                     const std::string& levelsPath);

}  // namespace assetgen
