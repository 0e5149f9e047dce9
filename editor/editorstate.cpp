#include "editorstate.h"

EditorState es;

void resetEditorState() {
    for (platform::Image& image : es.editorTileBitmaps) platform::freeImage(image);
    es = EditorState{};
}
