// The places a browser came from, for Back: absolute identifier lists, the
// most recent last.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "core/TaskMemory.h"

namespace cataloom {

class BrowserHistory {
public:
    void Push(TaskMemory<ITEMIDLIST> place) { places_.push_back(std::move(place)); }
    // The most recent place, taken off the history; null when there is none.
    TaskMemory<ITEMIDLIST> Pop();
    bool Empty() const noexcept { return places_.empty(); }

private:
    std::vector<TaskMemory<ITEMIDLIST>> places_;
};

}  // namespace cataloom
