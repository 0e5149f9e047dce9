// quelmar-headless: runs the game or the level editor from a script, without a screen.
#include <iostream>

#include "runner.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return runHeadless(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
