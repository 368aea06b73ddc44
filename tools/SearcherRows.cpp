#include "tools/SearcherRows.h"

#include "core/DisplayText.h"
#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "namespace/IconCache.h"
#include "namespace/IconExtractor.h"
#include "namespace/ItemColumns.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "resources/CataloomResource.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

// Room for a category path and a path inside a catalogue, each a Windows path.
constexpr std::size_t kItemPathCapacity = 4 * kMaxPath;

std::string ResourceText(UINT id) {
    char text[128];
    LoadResourceText(id, text, sizeof text);
    return text;
}

// The row's folder shown relative to the searched location: empty for an
// item that lies directly in it.
std::string LocationText(const std::string& itemPath, const std::string& location) {
    std::string parent = itemPath;
    const char* last = path::LastComponent(parent.c_str());
    parent.resize(last > parent.c_str() ? static_cast<std::size_t>(last - parent.c_str()) - 1 : 0);
    if (location.empty()) return parent;
    if (platform::CompareNoCase(parent.c_str(), location.c_str()) == 0) return "";
    const char* below = path::RelativeTo(location.c_str(), parent.c_str());
    return below != nullptr ? below : parent;
}

int CategoryImage(const SearcherRowContext& context, const std::string& itemPath) {
    IconCache& icons = ProcessObjects::Icons();
    char folder[kMaxPath];
    char location[kMaxPath];
    if (!path::Combine(folder, context.dataRoot.c_str(), itemPath.c_str())) return icons.CategoryIcon(false);
    ReadCategoryIconLocation(folder, location, sizeof location);
    return location[0] != '\0' ? icons.AddIconLocation(location) : icons.CategoryIcon(false);
}

}  // namespace

std::string ItemPath(const ItemId* list) {
    std::string buffer(kItemPathCapacity, '\0');
    const int length = Ids::PathOf(list, &buffer[0], buffer.size());
    buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return buffer;
}

const char* SearcherRow::Text(const SearcherRowContext& context, int column) {
    if (column < 0 || column >= kSearchColumnCount) return "";
    if (!computed_) Compute(context);
    return texts_[static_cast<std::size_t>(column)].c_str();
}

int SearcherRow::Image(const SearcherRowContext& context) {
    if (!computed_) Compute(context);
    return image_;
}

void SearcherRow::Compute(const SearcherRowContext& context) {
    computed_ = true;
    const ItemId* item = Ids::Last(list_.Get());
    const std::string itemPath = ItemPath(list_.Get());
    texts_[kSearchName] = VisibleName(Ids::Name(item));
    texts_[kSearchLocation] = LocationText(itemPath, context.location);
    switch (Ids::Kind(item)) {
    case kKindCategory:
        texts_[kSearchType] = ResourceText(IDS_SEARCH_CATEGORY_TYPE);
        image_ = CategoryImage(context, itemPath);
        break;
    case kKindMedia:
        texts_[kSearchType] = DriveTypeText(Ids::MediaDriveType(item));
        texts_[kSearchModified] =
            FormatListTime(Ids::MediaCaptureTime(item), ResourceText(IDS_SEARCH_UNKNOWN_TIME).c_str());
        image_ = ProcessObjects::Icons().MediaIcon(Ids::MediaDriveType(item));
        break;
    case kKindEntry: {
        char text[MAX_PATH];
        if (!Ids::EntryIsDirectory(item)) {
            ItemColumns::Kilobytes(Ids::EntrySize(item), text, sizeof text);
            texts_[kSearchSize] = text;
        }
        ItemColumns::TypeName(item, text, sizeof text);
        texts_[kSearchType] = text;
        texts_[kSearchModified] =
            FormatListTime(Ids::EntryWriteTime(item), ResourceText(IDS_SEARCH_UNKNOWN_TIME).c_str());
        image_ = EntryIconIndex(item, false);
        break;
    }
    default:
        break;
    }
}

}  // namespace cataloom
