// Files and text encoding: the Windows-1252 mapping, atomic whole-file
// replacement and bounded token reading.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace platform {

namespace {

// Code points of the bytes 0x80..0x9F; the five undefined bytes keep their own value.
constexpr std::uint16_t HIGH_ROW[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::uint32_t byteToCodePoint(unsigned char c) {
    if (c >= 0x80 && c <= 0x9F) return HIGH_ROW[c - 0x80];
    return c;
}

// The byte for a code point, or -1 when it has no single-byte form.
int codePointToByte(std::uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (HIGH_ROW[i] == cp) return 0x80 + i;
    return -1;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

FileWriteObserver writeObserver = nullptr;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes) appendUtf8(out, byteToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8ToCp1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        std::size_t len = 0;
        std::uint32_t cp = 0, minCp = 0;
        if (b0 < 0x80) {
            out += static_cast<char>(b0);
            ++i;
            continue;
        } else if ((b0 & 0xE0) == 0xC0) {
            len = 2, cp = b0 & 0x1F, minCp = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            len = 3, cp = b0 & 0x0F, minCp = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            len = 4, cp = b0 & 0x07, minCp = 0x10000;
        }
        bool ok = len != 0 && i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (b & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        if (ok && (cp < minCp || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            out += '?';  // one '?' per byte that starts no valid sequence
            ++i;
            continue;
        }
        const int byte = codePointToByte(cp);
        out += byte < 0 ? '?' : static_cast<char>(byte);
        i += len;
    }
    return out;
}

bool replaceFile(const std::string& path, std::string_view bytes, bool syncFolder) {
    std::string tmpl = path + ".tmpXXXXXX";
    const int fd = mkstemp(tmpl.data());
    if (fd < 0) return false;
    // mkstemp makes the file private; give it the mode a plain creation would.
    const mode_t mask = umask(0);
    umask(mask);
    bool ok = fchmod(fd, 0666 & ~mask) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<std::size_t>(n);
    }
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (ok && std::rename(tmpl.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) {
        unlink(tmpl.c_str());
        return false;
    }
    // Make the rename itself durable.
    const std::string dir = dirName(path);
    const int dfd = syncFolder ? open(dir.empty() ? "/" : dir.c_str(), O_RDONLY | O_DIRECTORY) : -1;
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    if (writeObserver) writeObserver(path, bytes);
    return true;
}

bool readTokens(const std::string& path, std::vector<std::string>& out, std::size_t maxTokens,
                std::size_t maxBytes) {
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string cur;
    char buf[4096];
    std::size_t left = maxBytes;
    bool full = maxTokens == 0;
    while (!full && left > 0) {
        const std::size_t want = left < sizeof buf ? left : sizeof buf;
        const std::size_t n = std::fread(buf, 1, want, f);
        if (n == 0) break;
        left -= n;
        for (std::size_t i = 0; i < n && !full; ++i) {
            if (!isSpace(buf[i])) {
                cur += buf[i];
            } else if (!cur.empty()) {
                out.push_back(std::move(cur));
                cur.clear();
                full = out.size() >= maxTokens;
            }
        }
    }
    // A read that fails (a directory, an I/O error) is no file: no tokens from it.
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        out.clear();
        return false;
    }
    if (!full && !cur.empty()) out.push_back(std::move(cur));
    return true;
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string dirName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash);
}

void setFileWriteObserver(FileWriteObserver observer) { writeObserver = observer; }

}  // namespace platform
