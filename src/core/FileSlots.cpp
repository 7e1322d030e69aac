#include "core/FileSlots.h"

namespace rigvane {

int FileSlots::TakeFileSlot() {
    for (int n = 1; n <= Count; ++n) {
        if (!used_[n]) {
            used_[n] = true;
            return n;
        }
    }
    return 0;
}

void FileSlots::ReleaseFileSlot(int n) {
    if (n >= 1 && n <= Count) used_[n] = false;
}

int FileSlots::InUse() const {
    int count = 0;
    for (int n = 1; n <= Count; ++n)
        count += used_[n];
    return count;
}

} // namespace rigvane
