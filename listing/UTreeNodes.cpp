#include "listing/UTreeNodes.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <vector>

namespace listing {

namespace {
// node is out of every view: delete it from the bottom, each node once it has no children left.
// Children go first to last, so each is its parent's first child when it goes (no search).
void DeleteDetached(QTreeWidgetItem* node) {
    std::vector<QTreeWidgetItem*> stack{node};
    while (!stack.empty()) {
        QTreeWidgetItem* n = stack.back();
        if (n->childCount() > 0) {
            stack.push_back(n->child(0));
            continue;
        }
        stack.pop_back();
        delete n;
    }
}
} // namespace

void DestroyTreeNode(QTreeWidgetItem* node) {
    if (!node) return;
    if (QTreeWidgetItem* parent = node->parent())
        parent->removeChild(node);
    else if (QTreeWidget* tree = node->treeWidget())
        tree->takeTopLevelItem(tree->indexOfTopLevelItem(node));
    DeleteDetached(node);
}

void ClearTree(QTreeWidget* tree) {
    while (tree->topLevelItemCount() > 0)
        DeleteDetached(tree->takeTopLevelItem(tree->topLevelItemCount() - 1));
}

} // namespace listing
