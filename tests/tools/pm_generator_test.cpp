// The progressive-mesh generator: its files read back by the player's
// loader and built without a message for every test object, the error of
// each level the player picks, the error measure itself, and `nltool pm`.
#include "base/message_box.h"
#include "demo/generators/shapes.h"
#include "lightwave/lwo_stage.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"
#include "meshes/mesh_test_support.h"
#include "meshes/test_objects.h"
#include "support/temp_dir.h"
#include "tools/nltool/commands.h"
#include "tools/pmgen/mesh_error.h"
#include "tools/pmgen/progressive_generator.h"
#include "tools/pmgen/progressive_levels.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

void assignAll(MetaMesh& mesh) {
    for (LWSurface* s : mesh.srfs)
        if (s) assignTexcoords(*s);
}

std::vector<LoadedLayer*> polygonLayers(MetaMesh& mesh) {
    std::vector<LoadedLayer*> layers;
    for (LWObjectLayer* l : mesh.layer) {
        auto* layer = dynamic_cast<LoadedLayer*>(l);
        if (layer && (layer->kind == LAYER_POLYGON_MESH || layer->kind == LAYER_PROGRESSIVE_MESH))
            layers.push_back(layer);
    }
    return layers;
}

// The errors of the five levels, as fractions of the box diagonal.
std::vector<double> levelErrors(const LoadedLayer& layer, const ProgressiveFile& file) {
    MeshArrays arrays;
    EXPECT_TRUE(buildAsPlayer(layer, file, arrays));
    const TriangleMesh whole = levelMesh(arrays, arrays.fit.maxRes);
    const double diagonal = boxDiagonal(whole);
    int levels[5];
    levelResolutions(file.minRes, arrays.fit.maxRes, levels);
    std::vector<double> errors;
    for (int r : levels) errors.push_back(hausdorffDistance(whole, levelMesh(arrays, r)) / diagonal);
    return errors;
}

std::vector<uint8_t> denseSphere() {
    lwo::Object o;
    o.surfaces.push_back({});
    o.surfaces[0].name = "Stone";
    o.layers.emplace_back();
    addSphere(o.layers[0], {0, 0, 0}, 1.0f, 24, 48, 0);
    return lwo::write(o);
}

struct ToolRun {
    int code;
    std::string out, err;
    size_t count(const std::string& word) const {
        size_t n = 0;
        std::istringstream in(out);
        std::string line;
        while (std::getline(in, line)) n += line.rfind(word + " ", 0) == 0;
        return n;
    }
};

ToolRun run(int (*command)(const Args&, std::ostream&, std::ostream&), const Args& args) {
    std::ostringstream out, err;
    const int code = command(args, out, err);
    return {code, out.str(), err.str()};
}

} // namespace

TEST(PmGenerator, EveryTestObjectsFilesLoadAndBuildInThePlayerWithoutAMessage) {
    int layersMade = 0, collapsing = 0;
    for (const std::string& path : testObjects()) {
        const std::vector<uint8_t> bytes = readFile(path);
        Stage source;
        MetaMesh* mesh = source.load("obj.lwo", bytes);
        ASSERT_NE(nullptr, mesh) << path;
        assignAll(*mesh);
        Stage player;
        (*player.files)["obj.lwo"] = bytes;
        std::vector<ProgressiveStats> made;
        for (LoadedLayer* layer : polygonLayers(*mesh)) {
            ProgressiveFile file;
            ProgressiveStats stats;
            std::string error;
            if (!makeProgressiveFile(*layer, file, error, &stats)) {
                EXPECT_EQ("no triangles", error) << path;
                continue;
            }
            // The generator's own invariants, beside what the player checks.
            ASSERT_EQ(size_t(stats.points), file.basePermutation.size()) << path;
            ASSERT_EQ(size_t(stats.weldedVertices), file.baseCollapseMap.size()) << path;
            EXPECT_EQ(stats.points - stats.collapses, file.minRes) << path;
            (*player.files)["obj.lwo." + std::to_string(layer->number + 1) + ".pm"] =
                writeProgressiveFile(file);
            made.push_back(stats);
            collapsing += stats.collapses > 0;
        }
        MessageRecorder messages;
        MetaMesh* loaded = player.scene->loadObject(&player.memory, "obj.lwo");
        ASSERT_NE(nullptr, loaded) << path;
        player.meta.meshes.emplace_back(loaded);
        assignAll(*loaded);
        size_t k = 0;
        for (LoadedLayer* layer : polygonLayers(*loaded)) {
            if (layer->kind != LAYER_PROGRESSIVE_MESH) continue;
            ASSERT_LT(k, made.size()) << path;
            MeshArrays arrays;
            ASSERT_TRUE(buildMeshArrays(*layer, PrefixPrograms(), MeshDeviceLimits(), arrays)) << path;
            EXPECT_TRUE(arrays.fit.fits()) << path;
            EXPECT_EQ(made[k].points, arrays.fit.maxRes) << path;
            ++k;
            ++layersMade;
        }
        EXPECT_EQ(made.size(), k) << path;
        EXPECT_EQ(0u, messages.count()) << path << ": " << (messages.count() ? messages.messages()[0].text : "");
    }
    EXPECT_GE(layersMade, 30);
    EXPECT_GE(collapsing, 10);
}

TEST(PmGenerator, LevelErrorsFallAsTheLevelRisesAndStayBounded) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> objects = {
        {"sphere", denseSphere()},
        {"ngon2", readFile(std::string(NL_TESTDATA_DIR) + "/lwo2/ngon2.lwo")},
        {"UglyVertexColors", readFile(std::string(NL_TESTDATA_DIR) + "/lwo2/UglyVertexColors.lwo")},
        {"earth", readFile(std::string(NL_TESTDATA_DIR) + "/lwo2/earth_uv_cylindrical_y.lwo")},
    };
    for (const auto& [name, bytes] : objects) {
        Stage stage;
        MetaMesh* mesh = stage.load("obj.lwo", bytes);
        ASSERT_NE(nullptr, mesh) << name;
        assignAll(*mesh);
        LoadedLayer& layer = *polygonLayers(*mesh).at(0);
        ProgressiveFile file;
        std::string error;
        ASSERT_TRUE(makeProgressiveFile(layer, file, error)) << name << ": " << error;
        const std::vector<double> errors = levelErrors(layer, file);
        for (size_t q = 1; q < errors.size(); ++q)
            EXPECT_LE(errors[q], errors[q - 1] + 1e-4) << name << " level " << q;
        EXPECT_LT(errors[4], 1e-5) << name; // the whole mesh
        EXPECT_LT(errors[0], 3 * PM_DEFAULT_MAX_ERROR) << name;
        EXPECT_GT(errors[0], 0) << name; // it did simplify
    }

    // A tighter bound keeps more of the sphere, and closer.
    Stage stage;
    MetaMesh* mesh = stage.load("sphere.lwo", denseSphere());
    assignAll(*mesh);
    LoadedLayer& sphere = *polygonLayers(*mesh).at(0);
    ProgressiveFile loose, tight;
    std::string error;
    ASSERT_TRUE(makeProgressiveFile(sphere, loose, error));
    ASSERT_TRUE(makeProgressiveFile(sphere, tight, error, nullptr, 0.002));
    EXPECT_GT(tight.minRes, loose.minRes);
    EXPECT_LT(levelErrors(sphere, tight)[0], levelErrors(sphere, loose)[0]);
}

TEST(PmGenerator, LayersItCannotDescribeAreRefused) {
    HandLayer empty;
    empty.points({0, 0, 0, 1, 0, 0});
    ProgressiveFile file;
    std::string error;
    EXPECT_FALSE(makeProgressiveFile(*empty.layer, file, error));
    EXPECT_EQ("no triangles", error);

    // More vertices than 16-bit entries address: a strip of 70000 points.
    HandLayer strip;
    std::vector<float> xyz;
    for (int i = 0; i < 35000; ++i) xyz.insert(xyz.end(), {float(i), 0, 0, float(i), 1, 0});
    strip.points(xyz);
    for (uint32_t i = 0; i + 1 < 35000; ++i) strip.polygon({2 * i, 2 * i + 1, 2 * i + 3, 2 * i + 2});
    EXPECT_FALSE(makeProgressiveFile(*strip.layer, file, error));
    EXPECT_NE(std::string::npos, error.find("16-bit")) << error;
}

TEST(MeshError, MatchesABruteForceSearchAndKnownDistances) {
    // A unit square against itself, lifted, and against nothing.
    TriangleMesh square{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {0, 1, 2, 0, 2, 3}};
    EXPECT_NEAR(0.0, hausdorffDistance(square, square), 1e-7);
    TriangleMesh lifted = square;
    for (Vec3& p : lifted.positions) p.z = 0.25f;
    EXPECT_NEAR(0.25, hausdorffDistance(square, lifted), 1e-6);
    EXPECT_NEAR(std::sqrt(2.0), hausdorffDistance(square, TriangleMesh{}), 1e-6);
    // Half the square: its far corner is 1/sqrt(2) from the diagonal.
    TriangleMesh half{square.positions, {0, 1, 2}};
    EXPECT_NEAR(std::sqrt(0.5), hausdorffDistance(square, half), 1e-6);

    // Random triangles: the grid's answer is the nearest over all of them.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> u(-1, 1);
    TriangleMesh cloud, probe;
    for (int i = 0; i < 600; ++i) cloud.positions.push_back({u(random), u(random), 0.2f * u(random)});
    for (uint32_t i = 0; i < 200; ++i) cloud.indices.insert(cloud.indices.end(), {3 * i, 3 * i + 1, 3 * i + 2});
    for (int i = 0; i < 3; ++i) probe.positions.push_back({2 * u(random), 2 * u(random), 2 * u(random)});
    probe.indices = {0, 1, 2};
    // Both one-sided distances over the same samples, the nearest points
    // found by sampling the other side densely.
    auto nearest = [&](const Vec3& p, const TriangleMesh& m) {
        double best = 1e30;
        for (size_t t = 0; t < m.indices.size(); t += 3) {
            // Dense barycentric sampling stands in for the exact distance.
            const Vec3 &a = m.positions[m.indices[t]], &b = m.positions[m.indices[t + 1]],
                       &c = m.positions[m.indices[t + 2]];
            for (int i = 0; i <= 40; ++i)
                for (int j = 0; i + j <= 40; ++j) {
                    const float s = i / 40.0f, r = j / 40.0f;
                    best = std::min(best, double(length(p - (a + (b - a) * s + (c - a) * r))));
                }
        }
        return best;
    };
    auto samples = [](const TriangleMesh& m, size_t t) {
        const Vec3 &a = m.positions[m.indices[t]], &b = m.positions[m.indices[t + 1]],
                   &c = m.positions[m.indices[t + 2]];
        return std::vector<Vec3>{a, b, c, (a + b) * 0.5f, (b + c) * 0.5f, (c + a) * 0.5f,
                                 (a + b + c) * (1.0f / 3)};
    };
    double brute = 0;
    for (const Vec3& s : samples(probe, 0)) brute = std::max(brute, nearest(s, cloud));
    for (size_t t = 0; t < cloud.indices.size(); t += 3)
        for (const Vec3& s : samples(cloud, t)) brute = std::max(brute, nearest(s, probe));
    // Sampling can only overestimate the exact nearest distance, by at
    // most the sampling step.
    const double measured = hausdorffDistance(probe, cloud);
    EXPECT_LE(measured, brute + 1e-6);
    EXPECT_GE(measured, brute - 0.1);
}

TEST(NltoolPm, WritesEachLayersFileAndReportsItsLevels) {
    TempDir dir;
    const std::string object = std::string(NL_TESTDATA_DIR) + "/lwo2/box3-uv-layers.lwo";
    const ToolRun r = run(pmCommand, {object, dir.path().string()});
    ASSERT_EQ(0, r.code) << r.err << r.out;
    // Its three polygon layers: 1, 2 and 10.
    EXPECT_EQ(3u, r.count("pm")) << r.out;
    EXPECT_EQ(15u, r.count("level")) << r.out;
    EXPECT_EQ(0u, r.count("message")) << r.out;
    for (const char* name : {"box3-uv-layers.lwo.1.pm", "box3-uv-layers.lwo.2.pm"}) {
        const std::vector<uint8_t> bytes = readFile((dir.path() / name).string());
        ProgressiveFile file;
        EXPECT_TRUE(readProgressiveFile(bytes.data(), bytes.size(), file)) << name;
    }

    // Beside its object, nltool lw shows the layer as progressive.
    std::filesystem::copy_file(object, dir.path() / "box3-uv-layers.lwo");
    const ToolRun lw = run(lwCommand, {(dir.path() / "box3-uv-layers.lwo").string()});
    ASSERT_EQ(0, lw.code) << lw.err;
    EXPECT_EQ(3u, lw.count("progressive")) << lw.out;
    EXPECT_NE(std::string::npos, lw.out.find("progressive layer=1 minRes=")) << lw.out;
    EXPECT_NE(std::string::npos, lw.out.find(" maxRes=798 ")) << lw.out;

    const ToolRun exported = run(pmCommand, {"--export", object, dir.path().string()});
    ASSERT_EQ(0, exported.code) << exported.err;
    EXPECT_EQ(3u, exported.count("geometry"));
    const std::vector<uint8_t> geo = readFile((dir.path() / "box3-uv-layers.lwo.1.geo").string());
    ASSERT_GE(geo.size(), 4u);
    EXPECT_EQ('P', geo[0]);
    EXPECT_EQ('M', geo[1]);

    EXPECT_EQ(1, run(pmCommand, {(dir.path() / "missing.lwo").string()}).code);
    EXPECT_EQ(2, run(pmCommand, {}).code);
    EXPECT_EQ(2, run(pmCommand, {"--max-error", "0", object}).code);
}
