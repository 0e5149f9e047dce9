// QuelmaR Son: polls the control file MusicCfg.cfg and loops the chosen music.
// The loop is written against two small interfaces (where the token comes from,
// what plays the sound) so that it runs the same on the real clock, file and
// audio device as under a test's fakes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The numbers the game writes into the control file.
constexpr int MUSIC_SILENCE = 0;
constexpr int MUSIC_NORMAL = 1;
constexpr int MUSIC_FIGHT = 2;
constexpr int MUSIC_SHOP = 3;
constexpr int MUSIC_INTRO = 4;
constexpr int MUSIC_END = 5;
constexpr int MUSIC_QUIT = 100;

constexpr int POLL_INTERVAL_MS = 125;

// The control file, opened by bare name in the working directory.
constexpr const char* MUSIC_CONTROL_FILE = "MusicCfg.cfg";
// The most bytes read from it at one poll; the game writes a dozen.
constexpr std::size_t CONTROL_READ_LIMIT = 4096;

// The player's live variables: one instance (ps).
struct PlayerState {
    std::string playerDir;   // directory of the executable, no trailing '/'
    int currentTrack = 0;    // the number last read
    int previousTrack = 0;   // the number before it
};
extern PlayerState ps;

// What plays the music: loop a wave file (replacing what plays), stop it.
struct MusicAudio {
    bool (*playLoop)(const std::string& path);
    void (*stopLoop)();
};

// Where the token comes from: true with the first token of the control file,
// false when the file cannot be read or holds no token.
using ControlReader = bool (*)(std::string& token);
using Pause = void (*)(int ms);

// Parses "musique:%d" the way the format does (prefix, optional sign, digits,
// anything after the digits ignored). False when it does not match or the
// number does not fit an int.
bool parseControlToken(std::string_view token, int& number);

// The wave file of tracks 1 to 5 in playerDir; empty for any other number.
std::string trackPath(int track);

// One poll without its pause: takes the token read (null when the read
// failed), updates the track numbers and tells the audio what changed.
// Returns false once the quit number has been read.
bool pollControl(const std::string* token, const MusicAudio& audio);

// The whole loop: read, poll, pause, until the quit number. Returns 0.
int runMusicPlayer(ControlReader read, Pause pause, const MusicAudio& audio);
