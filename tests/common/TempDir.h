#pragma once
// A fresh folder for one test, removed with everything in it when the test
// ends, and the two file helpers the tests share.
#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace rigvane::test {

class TempDir {
  public:
    // InMemory: under /dev/shm when there is one (tests that write many
    // small files); else under $TMPDIR or /tmp.
    enum Place { OnDisk, InMemory };
    explicit TempDir(Place place = OnDisk) {
        const char* env = std::getenv("TMPDIR");
        std::string base = env && *env ? env : "/tmp";
        if (place == InMemory && ::access("/dev/shm", W_OK) == 0) base = "/dev/shm";
        std::string pattern = base + "/rigvane-test-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (::mkdtemp(name.data())) path_ = name.data();
    }
    ~TempDir() {
        if (path_.empty()) return;
        ::nftw(
            path_.c_str(),
            [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    // The path of a file in the folder.
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// The whole file as bytes; "" when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Writes `bytes` to `path` and gives the path back.
inline std::string WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace rigvane::test
