#pragma once
// The pool of twenty numbered file slots. Every numbered file (frequency file,
// its temporary copy, database, log and trace files) holds a slot while open,
// so the program never keeps more than twenty such files open at once.
#include <array>

namespace rigvane {

class FileSlots {
  public:
    static constexpr int Count = 20;
    // The lowest free slot 1..20, now marked in use; 0 when all are taken.
    int TakeFileSlot();
    // Marks slot n free; ignored for n < 1 or n > 20.
    void ReleaseFileSlot(int n);
    int InUse() const;

  private:
    std::array<bool, Count + 1> used_{};
};

} // namespace rigvane
