// Files and text encoding: the Windows-1252 mapping, atomic whole-file
// replacement and bounded token reading.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// The ends of runs of blanks and of token bytes that start at i. Tokens in a
// save file are mostly one byte long: a test a byte beats a call into the C
// library for each run. A zero byte belongs to a token.
constexpr bool isBlankByte(unsigned char c) { return c == ' ' || c - 9u < 5u; }  // \t \n \v \f \r

std::size_t skipRun(const std::string& text, std::size_t i, bool blanks) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    while (i < n && isBlankByte(p[i]) == blanks) ++i;
    return i;
}

std::size_t skipBlanks(const std::string& text, std::size_t i) { return skipRun(text, i, true); }
std::size_t skipTokenBytes(const std::string& text, std::size_t i) { return skipRun(text, i, false); }

}  // namespace

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes) appendUtf8(out, byteToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

namespace {

// The character at s[i]: its code point and length in bytes; false when the
// byte starts no valid sequence (a stray continuation byte, a cut sequence, an
// overlong form, a surrogate, a value past U+10FFFF).
bool decodeUtf8(std::string_view s, std::size_t i, std::uint32_t& cp, std::size_t& len) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::uint32_t minCp = 0;
    len = 0;
    if (b0 < 0x80) {
        cp = b0;
        len = 1;
        return true;
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
    return ok && cp >= minCp && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

}  // namespace

std::string utf8ToCp1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        std::uint32_t cp = 0;
        std::size_t len = 0;
        if (!decodeUtf8(s, i, cp, len)) {
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

std::string validUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t cp = 0;
        std::size_t len = 0;
        if (decodeUtf8(s, i, cp, len)) {
            out.append(s.substr(i, len));
            i += len;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

namespace {

// The temporary file of a replacement: one fixed name beside the target, so a
// write cut short (the program killed before the rename) leaves one file that
// the next write reuses, and nothing piles up. Whatever is there under that
// name is replaced, even a pipe or a link.
int openTemporary(const std::string& tmp) {
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666);
    struct stat st {};
    if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
    if (fd >= 0) close(fd);
    unlink(tmp.c_str());
    return open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

}  // namespace

bool replaceFile(const std::string& path, std::string_view bytes, bool syncFolder) {
    const std::string tmp = path + ".tmp";
    const int fd = openTemporary(tmp);
    if (fd < 0) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<std::size_t>(n);
    }
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) {
        unlink(tmp.c_str());
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

namespace {

// A descriptor for reading, only when the path names a regular file.
int openRegularFd(const std::string& path, struct stat& st) {
    // Without O_NONBLOCK the open of a named pipe would wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::FILE* openRegularFile(const std::string& path) {
    struct stat st {};
    const int fd = openRegularFd(path, st);
    if (fd < 0) return nullptr;
    std::FILE* f = fdopen(fd, "rb");
    if (!f) close(fd);
    return f;
}

bool readTokenViews(const std::string& path, std::string& text, std::vector<std::string_view>& out,
                    std::size_t maxTokens, std::size_t maxBytes) {
    // out keeps its size until the end: a caller that reads again into the
    // same table (the save file, some 50,000 tokens) fills it in place.
    text.clear();
    struct stat st {};
    const int fd = openRegularFd(path, st);
    if (fd < 0) {
        out.clear();
        return false;
    }
    if (st.st_size > 0) text.reserve(std::min(static_cast<std::size_t>(st.st_size), maxBytes));
    // First the bytes, in large blocks (every system call counts when a save
    // reads its file again), up to the blank that ends the last token wanted;
    // then the tokens, as views into bytes that no longer move. A UTF-8
    // byte-order mark a text editor may have put first is no data, but counts
    // in the bytes read.
    constexpr std::size_t BLOCK = 1 << 16;
    constexpr std::string_view BOM = "\xEF\xBB\xBF";
    std::size_t from = 0, tokens = 0, scanned = 0;
    bool inToken = false, failed = false;
    bool full = maxTokens == 0;
    while (!full && text.size() < maxBytes) {
        const std::size_t at = text.size();
        text.resize(at + std::min(maxBytes - at, BLOCK));
        const ssize_t n = read(fd, text.data() + at, text.size() - at);
        text.resize(at + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        if (at == 0 && text.starts_with(BOM)) from = scanned = BOM.size();
        // Each whole token takes a byte and a blank: until the bytes could hold
        // maxTokens of them there is no need to count.
        if ((text.size() - from) / 2 < maxTokens) continue;
        while (scanned < text.size()) {
            scanned = inToken ? skipTokenBytes(text, scanned) : skipBlanks(text, scanned);
            if (scanned == text.size()) break;
            inToken = !inToken;
            if (!inToken && ++tokens >= maxTokens) {
                full = true;
                text.resize(scanned);
                break;
            }
        }
    }
    close(fd);
    // A read that fails (an I/O error) is no file: no tokens from it.
    if (failed) {
        text.clear();
        out.clear();
        return false;
    }
    text.erase(0, from);
    // A token takes at least one byte and a blank: room for them all at once
    // (a save file has some 50,000), filled in place, then cut to the count.
    const std::size_t room = std::min(maxTokens, text.size() / 2 + 1);
    if (out.size() < room) out.resize(room);
    std::string_view* token = out.data();
    std::size_t count = 0;
    for (std::size_t i = skipBlanks(text, 0); i < text.size() && count < room; ++count) {
        const std::size_t end = skipTokenBytes(text, i);
        token[count] = std::string_view(text.data() + i, end - i);
        i = skipBlanks(text, end);
    }
    out.resize(count);
    return true;
}

bool readTokens(const std::string& path, std::vector<std::string>& out, std::size_t maxTokens,
                std::size_t maxBytes) {
    out.clear();
    std::string text;
    std::vector<std::string_view> views;
    if (!readTokenViews(path, text, views, maxTokens, maxBytes)) return false;
    out.reserve(views.size());
    for (const std::string_view token : views) out.emplace_back(token);
    return true;
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool unreadableFile(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) close(fd);
    return fd < 0 && errno == EACCES;
}

std::string dirName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash);
}

void setFileWriteObserver(FileWriteObserver observer) { writeObserver = observer; }

}  // namespace platform
