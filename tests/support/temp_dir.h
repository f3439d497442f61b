#pragma once
// A fresh folder for one test, removed with its contents afterwards. With
// `enter` the test runs inside it (the working folder is restored after).

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TempDir {
public:
    explicit TempDir(bool enter = false) {
        static int counter = 0;
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            dir = base / ("nightloom-test-" + std::to_string(std::rand()) + "-" +
                          std::to_string(++counter));
            if (std::filesystem::create_directories(dir)) break;
        }
        if (enter) {
            previous = std::filesystem::current_path();
            std::filesystem::current_path(dir);
        }
    }
    ~TempDir() {
        std::error_code ignored;
        if (!previous.empty()) std::filesystem::current_path(previous, ignored);
        std::filesystem::remove_all(dir, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::filesystem::path path(const std::string& relative = "") const {
        return relative.empty() ? dir : dir / relative;
    }
    void write(const std::string& relative, const std::string& content) const {
        auto p = dir / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
    }
    void write(const std::string& relative, const std::vector<uint8_t>& content) const {
        auto p = dir / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()), std::streamsize(content.size()));
    }

private:
    std::filesystem::path dir;
    std::filesystem::path previous;
};
