#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace lorvika::test {

// A fresh folder under the system's temporary directory, removed with its content at the end.
// It also points LORVIKA_HOME at a "home" folder inside, so no test sees another's settings.
class TestDir {
public:
    TestDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("lorvika-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(path_ / "home");
        ::setenv("LORVIKA_HOME", (path_ / "home").c_str(), 1);
    }
    ~TestDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path home() const { return path_ / "home"; }
    std::filesystem::path sub(const std::string& name) const {
        std::filesystem::create_directories(path_ / name);
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

}  // namespace lorvika::test
