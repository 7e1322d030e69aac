#pragma once
// A fresh directory under $TMPDIR (or /tmp) for one test, removed with
// everything in it when the test ends.
#include <cstdlib>
#include <ftw.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace rigvane {

class TempDir {
  public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/rigvane-test-XXXXXX";
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

  private:
    std::string path_;
};

} // namespace rigvane
