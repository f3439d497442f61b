#include "mesh_data.h"

LWLayerData::~LWLayerData() {
    for (LWUVMap* m : uvMaps) m->release();
    for (LWColorMap* m : colorMaps) m->release();
    for (LWMorphMap* m : morphMaps) m->release();
}

MetaMesh::~MetaMesh() {
    for (LWObjectLayer* l : layer) delete l;
}
