#include "mesh_layers.h"

#include "base/message_box.h"

#include <algorithm>

LoadedLayer::~LoadedLayer() {
    device.reset();
    for (LWMorphMap* m : morphMaps) m->release();
}

void LoadedLayer::ensureBoundingBox() {
    if (bboxSource == positions.data() && box.used) return;
    computeBoundingBox(positions.data(), std::min(numPositions, int(positions.size() / 3)), box);
    if (box.used) bboxSource = positions.data();
}

void LoadedLayer::transformCorners(const Matrix4& m, Vec4 out[8]) const {
    ::transformCorners(box, m, out);
}

void LoadedLayer::keepMorphMaps(const std::vector<LWMorphMap*>& maps) {
    for (LWMorphMap* m : maps) {
        m->addRef();
        morphMaps.push_back(m);
    }
    numMorf = int(morphMaps.size());
    if (numMorf > MAX_MPOS) reportAssertion("numMorf <= MAX_MPOS");
}
