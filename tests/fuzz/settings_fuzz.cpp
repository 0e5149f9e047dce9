// Any Reglages.cfg: the reader takes the first token of the first 4 KiB,
// the three settings come out as 0 or 1, values that parse parse again the
// same once written out, and a file that does not hold them is replaced by
// one that does (after the three questions, answered yes here).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "options/settings.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "scratch.h"
#include "state.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

std::string canonical(int sound, int music, int slow) {
    return "son=" + std::to_string(sound) + ",Musique=" + std::to_string(music) + ",Rapidit\xE9=" +
           std::to_string(slow);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::enterScratchDir();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::writeFile(SETTINGS_FILE, bytes);

    std::vector<std::string> tokens;
    check(platform::readTokens(SETTINGS_FILE, tokens, 1, 4096));
    const std::string first = fuzz::firstToken(bytes.substr(0, 4096));
    check(tokens.size() == (first.empty() ? 0u : 1u) && (tokens.empty() || tokens[0] == first));

    int sound = 7, music = 7, slow = 7;
    const bool parsed = parseSettings(first, sound, music, slow);
    if (parsed) {
        check(first.rfind("son=", 0) == 0);
        int s = 0, m = 0, r = 0;
        check(parseSettings(canonical(sound, music, slow), s, m, r) && s == sound && m == music && r == slow);
        check(parseSettings(first + ",", s, m, r) && s == sound && m == music && r == slow);
    }

    platform::headless::reset();
    gs = GameState{};
    readSettings();
    check(gs.soundOn == 0 || gs.soundOn == 1);
    check(gs.musicOn == 0 || gs.musicOn == 1);
    check(gs.slowComputer == 0 || gs.slowComputer == 1);
    if (parsed) {
        check(gs.soundOn == (sound != 0) && gs.musicOn == (music != 0) && gs.slowComputer == (slow != 0));
        check(platform::headless::transcript().empty());  // nothing asked
    } else {
        check(gs.soundOn == 1 && gs.musicOn == 1 && gs.slowComputer == 0);
        check(platform::readTokens(SETTINGS_FILE, tokens, 1) && tokens.size() == 1 &&
              tokens[0] == canonical(1, 1, 0));
    }
    return 0;
}
