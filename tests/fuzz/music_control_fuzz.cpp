// Any MusicCfg.cfg as the music player polls it: the token is the file's
// first one, a parsed number prints back to the same token, only a known
// number is kept, and only a track's wave file is ever asked to play.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "control.h"
#include "player.h"
#include "scratch.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::enterScratchDir();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::writeFile(MUSIC_CONTROL_FILE, bytes);

    std::string token;
    const bool got = readControlFile(token);
    const std::string first = fuzz::firstToken(bytes.substr(0, CONTROL_READ_LIMIT));
    check(got == !first.empty() && (!got || token == first));

    int n = 0, again = 0;
    if (parseControlToken(token, n))
        check(parseControlToken("musique:" + std::to_string(n), again) && again == n);

    ps = PlayerState{};
    ps.playerDir = "/jeu/sons";
    static bool played;
    played = false;
    const bool goOn = pollControl(got ? &token : nullptr,
                                  MusicAudio{[](const std::string& path) {
                                                 check(path.rfind("/jeu/sons/", 0) == 0 &&
                                                       path.size() > 14 &&
                                                       path.compare(path.size() - 4, 4, ".wav") == 0);
                                                 played = true;
                                                 return true;
                                             },
                                             [] {}});
    const int t = ps.currentTrack;
    check((t >= MUSIC_SILENCE && t <= MUSIC_END) || t == MUSIC_QUIT);
    check(goOn == (t != MUSIC_QUIT));
    check(played == (t >= MUSIC_NORMAL && t <= MUSIC_END));
    if (t != MUSIC_SILENCE) check(parseControlToken(token, n) && n == t);
    return 0;
}
