#pragma once
// The offline generator of ".pm" files: simplifies a polygon layer by
// half-edge collapses in order of quadric error (OpenMesh's decimater) and
// writes the order as point priorities and the collapses as a map over the
// welded vertices the player builds, so that the player's levels are the
// simplifier's meshes after each number of collapses.
//
// Surface borders, texture seams and hard edges (where one point has
// several welded vertices) only collapse along themselves, open borders
// only along the border, and a point only onto one that has a vertex in
// each of its surfaces, so no surface loses its outline and every vertex
// collapses within its own surface's range.

#include "meshes/progressive_file.h"

#include <string>

class LoadedLayer;

struct ProgressiveStats {
    int points = 0;          // distinct points of the welded mesh
    int weldedVertices = 0;
    int triangles = 0;
    int collapses = 0;       // points the simplifier removed
    int lockedPoints = 0;    // on triangles the simplifier cannot hold (not manifold)
};

// How far the simplifier may go: no collapse whose quadric error (summed
// squared distances to the planes it merged) exceeds the square of this
// fraction of the layer's box diagonal. The rest of the points make the
// smallest level.
constexpr double PM_DEFAULT_MAX_ERROR = 0.02;

// Makes the file for one polygon layer as loaded (surfaces with their
// texture-coordinate sets assigned, as the player has them). False with
// `error` set when the layer cannot have one: no triangles, or more points
// or vertices than 16-bit entries address.
bool makeProgressiveFile(const LoadedLayer& layer, ProgressiveFile& out, std::string& error,
                         ProgressiveStats* stats = nullptr,
                         double maxError = PM_DEFAULT_MAX_ERROR);
