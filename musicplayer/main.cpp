// QuelmaR Son: no window; started by the game in the folder where the game
// writes the control file (sons/ under the game's working directory). Its wave
// files lie beside the executable. Runs the polling loop on the real clock,
// the real control file and the audio device, until the quit number.
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include "control.h"
#include "platform/audio.h"
#include "player.h"

namespace {

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The executable's directory; the working directory when the link cannot be read.
std::string findPlayerDir() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path()) return ".";
    return exe.parent_path().string();
}

}  // namespace

int main() {
    ps.playerDir = findPlayerDir();
    // No device: every call is silent and the loop still ends on the quit number.
    platform::audio::open();
    const MusicAudio audio{platform::audio::playLoop, platform::audio::stopLoop};
    int code = runMusicPlayer(readControlFile, sleepMs, audio);
    platform::audio::close();
    return code;
}
