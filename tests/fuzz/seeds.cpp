// Writes the seed files of one fuzz target into a scratch folder: a file
// ending in .hex becomes the bytes its hex digits spell (whitespace and
// '#' comments to the end of the line are skipped), any other file is copied.
//   fuzz_seeds SOURCE_DIR OUT_DIR
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

bool unhex(const std::string& text, std::string& out) {
    int high = -1;
    bool comment = false;
    for (char c : text) {
        if (comment) {
            comment = c != '\n';
            continue;
        }
        if (c == '#') {
            comment = true;
        } else if (std::isxdigit(static_cast<unsigned char>(c))) {
            const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
            if (high < 0) {
                high = v;
            } else {
                out += static_cast<char>(high * 16 + v);
                high = -1;
            }
        } else if (!std::isspace(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return high < 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: fuzz_seeds SOURCE_DIR OUT_DIR\n";
        return 2;
    }
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(argv[1], ec)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string bytes = text;
        if (e.path().extension() == ".hex") {
            bytes.clear();
            if (!unhex(text, bytes)) {
                std::cerr << e.path() << ": not hex\n";
                return 1;
            }
        }
        std::ofstream out(fs::path(argv[2]) / e.path().filename(), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::cerr << "cannot write the seed " << e.path().filename() << "\n";
            return 1;
        }
    }
    if (ec) {
        std::cerr << argv[1] << ": " << ec.message() << "\n";
        return 1;
    }
    return 0;
}
