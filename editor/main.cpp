// editeur Quelmar: the level editor program.
#include "editor.h"
#include "platform/platform.h"

extern const platform::ResourceBlob QUELMAR_EDITOR_RESOURCES[];
extern const std::size_t QUELMAR_EDITOR_RESOURCE_COUNT;

int main() {
    platform::setResources(QUELMAR_EDITOR_RESOURCES, QUELMAR_EDITOR_RESOURCE_COUNT);
    return editorMain();
}
