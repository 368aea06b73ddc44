// The browser's tree pane: the namespace from its root down, each node an
// absolute identifier list, children read from the folder when a node is
// first expanded (folders only).  A person's selection asks the browser to
// go there; the browser's own navigation selects the node without that.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <functional>

namespace cataloom {

class NamespaceTree {
public:
    using Navigate = std::function<void(PCIDLIST_ABSOLUTE)>;

    // Creates the tree control as a child of `parent` with the root node
    // `root` (an absolute list, copied); false when it cannot be made.
    bool Create(HWND parent, int id, PCIDLIST_ABSOLUTE root, Navigate navigate) noexcept;
    HWND Window() const noexcept { return window_; }
    // Expands the nodes down to `place` and selects it, as far as the tree
    // reaches; the browser is not asked to go there.
    void Select(PCIDLIST_ABSOLUTE place);
    // The tree's notifications, forwarded by the parent.
    LRESULT OnNotify(const NMHDR& header);

private:
    HTREEITEM Add(HTREEITEM parent, IShellFolder* folder, PCIDLIST_ABSOLUTE absolute, PCUITEMID_CHILD child);
    void Fill(HTREEITEM node);
    PCIDLIST_ABSOLUTE PlaceOf(HTREEITEM node) const;

    HWND window_ = nullptr;
    Navigate navigate_;
    bool selecting_ = false;
};

}  // namespace cataloom
