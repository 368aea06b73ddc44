// The rows of the search window: each owns its item identifier (relative to
// the namespace root) and computes its texts and image once, the first time
// the list asks, instead of reading category.ini or catalogue headers on
// every paint.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "core/ItemId.h"
#include "core/TaskMemory.h"

namespace cataloom {

enum SearcherColumn { kSearchName, kSearchLocation, kSearchSize, kSearchType, kSearchModified, kSearchColumnCount };

// What the row texts depend on besides the row.
struct SearcherRowContext {
    std::string dataRoot;  // the effective data folder, for category.ini
    std::string location;  // the searched location's path below the root ("" for the root)
};

class SearcherRow {
public:
    explicit SearcherRow(ItemId* list) noexcept : list_(list) {}

    const ItemId* List() const noexcept { return list_.Get(); }
    // Computes the texts and the image on the first call.
    const char* Text(const SearcherRowContext& context, int column);
    int Image(const SearcherRowContext& context);

private:
    void Compute(const SearcherRowContext& context);

    TaskMemory<ItemId> list_;
    bool computed_ = false;
    int image_ = -1;
    std::array<std::string, kSearchColumnCount> texts_;
};

// The path of `list` below the namespace root (names joined with
// backslashes, a catalogue by its file name); empty when it does not fit.
std::string ItemPath(const ItemId* list);

}  // namespace cataloom
