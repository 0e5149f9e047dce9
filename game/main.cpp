// Quelmar: the game program.
#include "platform/platform.h"
#include "shell/startup.h"

extern const platform::ResourceBlob QUELMAR_GAME_RESOURCES[];
extern const std::size_t QUELMAR_GAME_RESOURCE_COUNT;

int main() {
    platform::setResources(QUELMAR_GAME_RESOURCES, QUELMAR_GAME_RESOURCE_COUNT);
    return quelmarMain();
}
