#include "variant.h"

namespace {
bool gPrevBuild = false;
}

bool isPrevBuild() {
    return gPrevBuild;
}

void setPrevBuild(bool prev) {
    gPrevBuild = prev;
}
