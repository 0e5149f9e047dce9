#include "sound/sound.h"

#include <string>

#include "platform/files.h"
#include "platform/platform.h"
#include "state.h"

void playSound(std::string_view name) {
    std::string path = gs.soundDir;
    path += name;
    path += ".wav";
    if (gs.soundOn != 0) platform::playEffect(path);
}

bool selectMusic(MusicTrack track) {
    int value = track == MUSIC_QUIT ? MUSIC_QUIT : track * gs.musicOn;
    // A file that cannot be written leaves the music as it was; nothing to report.
    return platform::replaceFile(MUSIC_CONTROL_FILE, "musique:" + std::to_string(value));
}
