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
    // Takes drops from now on (the thread has OLE); false when it cannot.
    bool AcceptDrops() noexcept;
    // Before the window goes: no more drops.
    void RefuseDrops() noexcept;

    // The node at a point of the screen; null for none.
    HTREEITEM NodeAt(POINT screen) const noexcept;
    // The absolute list a node stands for; null for none.
    PCIDLIST_ABSOLUTE PlaceOf(HTREEITEM node) const;
    // Marks the node that would take a drop (null: none).
    void Highlight(HTREEITEM node) const noexcept;

private:
    HTREEITEM Add(HTREEITEM parent, IShellFolder* folder, PCIDLIST_ABSOLUTE absolute, PCUITEMID_CHILD child);
    void Fill(HTREEITEM node);

    HWND window_ = nullptr;
    Navigate navigate_;
    bool selecting_ = false;
    bool acceptsDrops_ = false;
};

}  // namespace cataloom
