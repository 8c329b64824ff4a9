// Removing nodes from a tree view without recursion. A node's own destructor deletes its children
// one nested call per level, so a branch thousands of levels deep (a deep folder chain) would
// overflow the stack; these take the branch out of the view first, then delete it from the bottom.
#pragma once

class QTreeWidget;
class QTreeWidgetItem;

namespace listing {

// Takes node (with its whole branch) out of its tree and deletes every node of the branch.
void DestroyTreeNode(QTreeWidgetItem* node);
// Every node of the tree, as clear() would, at any depth.
void ClearTree(QTreeWidget* tree);

} // namespace listing
