// libFuzzer: any bytes as the control token. The parse stays inside the token and
// round-trips; only a known number is kept and only a track's wave file played.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "player.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string token(reinterpret_cast<const char*>(data), size);
    int n = 0, again = 0;
    if (parseControlToken(token, n) && !(parseControlToken("musique:" + std::to_string(n), again) && again == n))
        std::abort();
    ps = PlayerState{};
    pollControl(&token, MusicAudio{[](const std::string& path) { return !path.empty() || (std::abort(), false); },
                                   [] {}});
    if (const int t = ps.currentTrack; !((t >= MUSIC_SILENCE && t <= MUSIC_END) || t == MUSIC_QUIT)) std::abort();
    return 0;
}
