// libFuzzer: any bytes as the control token. The parse never reads outside
// the token, a match prints back to a token that parses the same, and the
// audio is only ever handed one of the five wave files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "player.h"

namespace {

bool checkPlay(const std::string& path) {
    bool known = false;
    for (int t = MUSIC_NORMAL; t <= MUSIC_END; ++t) known = known || path == trackPath(t);
    if (!known) std::abort();
    return true;
}
void noStop() {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string token(reinterpret_cast<const char*>(data), size);
    int n = 0;
    if (parseControlToken(token, n)) {
        int again = 0;
        if (!parseControlToken("musique:" + std::to_string(n), again) || again != n) std::abort();
    }
    ps = PlayerState{};
    ps.playerDir = "sons";
    const MusicAudio audio{checkPlay, noStop};
    pollControl(&token, audio);
    const int track = ps.currentTrack;
    if (!((track >= MUSIC_SILENCE && track <= MUSIC_END) || track == MUSIC_QUIT)) std::abort();
    return 0;
}
