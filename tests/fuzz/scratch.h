// A private scratch folder for the fuzz targets that go through real files:
// made on first use (in memory when /dev/shm exists: thousands of writes and
// fsyncs a second), the working directory from then on, removed at exit.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

inline void enterScratchDir() {
    static std::string dir;
    if (!dir.empty()) return;
    std::error_code ec;
    std::string name = std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : "/tmp";
    name += "/quelmar-fuzz-XXXXXX";
    if (!mkdtemp(name.data()) || chdir(name.c_str()) != 0) std::abort();
    dir = name;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    });
}

// Plain system calls: a stream would allocate and fill its buffer every run.
inline void writeFile(const char* name, const std::string& bytes) {
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) std::abort();
}

// The first whitespace-separated run of bytes, as the file readers see it
// (a UTF-8 byte-order mark at the start of the file is no data).
inline std::string firstToken(const std::string& text, std::size_t from = 0) {
    const char* space = " \t\n\v\f\r";
    if (from == 0 && text.rfind("\xEF\xBB\xBF", 0) == 0) from = 3;
    const std::size_t a = text.find_first_not_of(space, from);
    if (a == std::string::npos) return {};
    const std::size_t b = text.find_first_of(space, a);
    return text.substr(a, b == std::string::npos ? std::string::npos : b - a);
}

}  // namespace fuzz
