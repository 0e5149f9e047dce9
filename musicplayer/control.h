// The real control file: MusicCfg.cfg in the working directory.
#pragma once

#include <string>

// The first token of the control file, reading at most CONTROL_READ_LIMIT
// bytes; false when the file is missing or unreadable or holds no token.
bool readControlFile(std::string& token);
