// Files and text encoding, shared by every program and backend (plain C++).
// Data files are Windows-1252 bytes; inside the programs text is UTF-8.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Windows-1252 <-> UTF-8. Every one of the 256 bytes has a mapping (the five
// bytes Windows-1252 leaves undefined, 0x81 0x8D 0x8F 0x90 0x9D, map to the C1
// controls of the same value, so the round trip is exact). A character with no
// single-byte form is written as '?'; invalid UTF-8 bytes too.
std::string cp1252ToUtf8(std::string_view bytes);
std::string utf8ToCp1252(std::string_view utf8);
// The text with every byte that starts no valid UTF-8 sequence replaced by '?'.
std::string validUtf8(std::string_view text);

// Replaces the whole file atomically: writes the temporary file NAME.tmp beside
// it (reusing a leftover of an interrupted write), flushes it, renames it over
// the target. On failure the previous file is left
// intact and false is returned. With syncFolder the folder is flushed too, so
// that the new file, not only a whole one, survives a crash that follows at
// once; without it the rename reaches the disk with the file system's next
// commit, which saves a second wait for the disk.
bool replaceFile(const std::string& path, std::string_view bytes, bool syncFolder = true);

// Opens a file for reading in binary mode only when it is a regular file: a
// directory, a named pipe or a device gives null, as a missing file does, and
// the call never waits.
std::FILE* openRegularFile(const std::string& path);

// Reads at most maxBytes from the start of the file and splits them into at
// most maxTokens whitespace-separated tokens (bytes, no conversion); a leading
// UTF-8 byte-order mark is skipped. Returns false, with out empty, when the
// file is no regular file or cannot be read.
bool readTokens(const std::string& path, std::vector<std::string>& out, std::size_t maxTokens,
                std::size_t maxBytes = 1u << 20);
// The same tokens as views into text, which holds the bytes read: no string
// for each token (a save file has some 50,000).
bool readTokenViews(const std::string& path, std::string& text, std::vector<std::string_view>& out,
                    std::size_t maxTokens, std::size_t maxBytes = 1u << 20);

bool fileExists(const std::string& path);
// True for a regular file that this program may not open for reading (its
// permissions): it holds data that reading it does not give.
bool unreadableFile(const std::string& path);

// Directory part of a path without the trailing '/' ("a/b/c" -> "a/b").
std::string dirName(const std::string& path);

// Observer of every successful replaceFile (the headless backend transcribes
// writes of the music control file). Null to remove.
using FileWriteObserver = void (*)(const std::string& path, std::string_view bytes);
void setFileWriteObserver(FileWriteObserver);

}  // namespace platform
