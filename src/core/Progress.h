#pragma once
// The progress side of a long operation (sort, database lookup, trunk ID
// transfer): the Status/progress window shows it and its Cancel button sets
// the one shared cancel flag, which the operation clears when it starts and
// tests between its steps. The window is Qt; below it only these hooks exist,
// so an operation works (and is tested) with no window at all.
#include <functional>
#include <string>

namespace rigvane {

struct Progress {
    bool Cancel = false; // the shared cancel flag

    std::function<void(const std::string& action)> OnShow; // window visible with its action text
    std::function<void(int percent, const std::string& text)> OnUpdate;
    std::function<void()> OnHide;

    void Show(const std::string& action) {
        if (OnShow) OnShow(action);
    }
    void Update(int percent, const std::string& text) {
        if (OnUpdate) OnUpdate(percent, text);
    }
    void Hide() {
        if (OnHide) OnHide();
    }
};

} // namespace rigvane
