#include "control.h"

#include <vector>

#include "platform/files.h"
#include "player.h"

bool readControlFile(std::string& token) {
    std::vector<std::string> tokens;
    if (!platform::readTokens(MUSIC_CONTROL_FILE, tokens, 1, CONTROL_READ_LIMIT) || tokens.empty())
        return false;
    token = std::move(tokens.front());
    return true;
}
