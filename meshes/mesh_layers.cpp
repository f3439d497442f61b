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

void LoadedLayer::transformCorners(const Matrix4& m, Vec4 out[8]) {
    ::transformCorners(box, m, out);
}

void ProgressiveMeshLayer::transformCorners(const Matrix4& m, Vec4 out[8]) {
    LoadedLayer::transformCorners(m, out);
    for (int k = 0; k < 8; ++k) nearestW = std::min(nearestW, out[k].w);
    projectedSize = std::max(projectedSize, projectedHalfExtent(out));
}

void ProgressiveMeshLayer::resetFrame() {
    levelChosen = false;
    nearestW = FLT_MAX;
    projectedSize = 0;
}

int ProgressiveMeshLayer::levelToDraw() {
    if (levelChosen) return -1;
    levelChosen = true;
    // A file that does not fit the mesh cannot lower it safely.
    const int r = fileFits ? chooseResolution(minRes, maxRes, projectedSize) : maxRes;
    if (r == currentResolution) return -1;
    currentResolution = r;
    return r;
}

void LoadedLayer::keepMorphMaps(const std::vector<LWMorphMap*>& maps) {
    for (LWMorphMap* m : maps) {
        m->addRef();
        morphMaps.push_back(m);
    }
    numMorf = int(morphMaps.size());
    if (numMorf > MAX_MPOS) reportAssertion("numMorf <= MAX_MPOS");
}
