#pragma once
// The LWO2 objects of the shared test data that the loader reads (the
// QuickDraw scene's objects among them), and reading a file whole.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<std::string> testObjects() {
    std::vector<std::string> files;
    const std::string root = NL_TESTDATA_DIR;
    for (const char* dir : {"/lwo2", "/lws/quickdraw/LWO/LWO2/LWSReferences"})
        for (const auto& e : std::filesystem::directory_iterator(root + dir))
            // The laser beam is an older LWOB file, which the loader refuses.
            if (e.path().extension() == ".lwo" && e.path().filename() != "QuickDraw--Laserbeam.lwo")
                files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

inline std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

