#include "browser/BrowserHistory.h"

namespace cataloom {

TaskMemory<ITEMIDLIST> BrowserHistory::Pop() {
    if (places_.empty()) return TaskMemory<ITEMIDLIST>();
    TaskMemory<ITEMIDLIST> place = std::move(places_.back());
    places_.pop_back();
    return place;
}

}  // namespace cataloom
