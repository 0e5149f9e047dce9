#include "player.h"

#include <charconv>

PlayerState ps;

namespace {

constexpr std::string_view CONTROL_PREFIX = "musique:";

// Numbers the player acts on; the game never writes any other.
bool knownTrack(int n) {
    return (n >= MUSIC_SILENCE && n <= MUSIC_END) || n == MUSIC_QUIT;
}

}  // namespace

bool parseControlToken(std::string_view token, int& number) {
    if (token.substr(0, CONTROL_PREFIX.size()) != CONTROL_PREFIX) return false;
    std::string_view rest = token.substr(CONTROL_PREFIX.size());
    // %d takes a leading '+', which from_chars does not.
    if (!rest.empty() && rest.front() == '+') {
        rest.remove_prefix(1);
        if (!rest.empty() && rest.front() == '-') return false;
    }
    int value = 0;
    if (std::from_chars(rest.data(), rest.data() + rest.size(), value).ec != std::errc{})
        return false;
    number = value;
    return true;
}

std::string trackPath(int track) {
    const char* file = nullptr;
    switch (track) {
        case MUSIC_NORMAL: file = "MusicNormale.wav"; break;
        case MUSIC_FIGHT: file = "MusicCombats.wav"; break;
        case MUSIC_SHOP: file = "MusicBoutique.wav"; break;
        case MUSIC_INTRO: file = "MusicIntro.wav"; break;
        case MUSIC_END: file = "MusicFin.wav"; break;
        default: return {};
    }
    return ps.playerDir + "/" + file;
}

bool pollControl(const std::string* token, const MusicAudio& audio) {
    ps.previousTrack = ps.currentTrack;
    int number = 0;
    // A failed read, a token that does not parse and a number the game never
    // writes all leave the current number, so nothing changes.
    if (token && parseControlToken(*token, number) && knownTrack(number)) ps.currentTrack = number;
    if (ps.currentTrack != ps.previousTrack) {
        if (ps.currentTrack == MUSIC_SILENCE)
            audio.stopLoop();
        else if (ps.currentTrack != MUSIC_QUIT)
            audio.playLoop(trackPath(ps.currentTrack));  // a missing file means silence
    }
    return ps.currentTrack != MUSIC_QUIT;
}

int runMusicPlayer(ControlReader read, Pause pause, const MusicAudio& audio) {
    while (ps.currentTrack != MUSIC_QUIT) {
        std::string token;
        bool got = read(token);
        pollControl(got ? &token : nullptr, audio);
        pause(POLL_INTERVAL_MS);
    }
    return 0;
}
