// The configuration tree: which items get nodes, how they open, and the grey
// of disabled items as the tree paints them.
#include <QImage>
#include <QPixmap>

#include "EditorFixture.h"

namespace korvane {
namespace {

using test::EditorFixture;

// The darkest channel value painted in the node's text area: black text
// reaches near zero, grey text stays near its grey.
int DarkestInk(CConfigTreeCtrl& tree, QTreeWidgetItem* node) {
  const QRect rect = tree.visualItemRect(node);
  const QImage image = tree.viewport()->grab(rect).toImage();
  int darkest = 255;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      darkest = std::min({darkest, c.red(), c.green(), c.blue()});
    }
  return darkest;
}

class ConfigTreeTest : public EditorFixture {};

TEST_F(ConfigTreeTest, NodesFollowVisibilityAndSetableAndOpenTwoLevels) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    CConfigTreeCtrl* tree = main.ConfigTree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(CConfigTreeCtrl::ItemOf(root), main.Description().root.get());
    EXPECT_TRUE(root->isExpanded());
    QTreeWidgetItem* function = tree->NodeOf(main.Description().root->Child(0));
    ASSERT_NE(function, nullptr);
    EXPECT_TRUE(function->isExpanded());
    EXPECT_FALSE(tree->NodeOf(Item(main, "ledSettings"))->isExpanded());
    // Hidden items and everything below them have no node.
    EXPECT_EQ(tree->NodeOf(Item(main, "factory")), nullptr);
    EXPECT_EQ(tree->NodeOf(Item(main, "trimCode")), nullptr);
    EXPECT_EQ(tree->NodeOf(Item(main, "factoryLock")), nullptr);
    // A setable group is a leaf; the grid still shows its items.
    QTreeWidgetItem* advanced = tree->NodeOf(Item(main, "advanced"));
    ASSERT_NE(advanced, nullptr);
    EXPECT_EQ(advanced->childCount(), 0);
    SelectNode(main, "advanced");
    EXPECT_NE(main.PropertyGrid()->ViewItemFor(Item(main, "usbAThreshold")), nullptr);
  }});
}

// Looking a node up after nodes went, came or changed their item finds the
// node as the tree holds it now, the first in display order.
TEST_F(ConfigTreeTest, TheNodeOfAnItemFollowsTheNodesAsTheyChange) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog&) {
    NewProject(main);
    CConfigTreeCtrl* tree = main.ConfigTree();
    ConfigItem* led = Item(main, "ledSettings");
    ConfigItem* blink = Item(main, "ledBlinkRate");
    QTreeWidgetItem* ledNode = tree->NodeOf(led);
    ASSERT_NE(ledNode, nullptr);
    ASSERT_NE(tree->NodeOf(blink), nullptr);

    delete tree->NodeOf(blink);
    EXPECT_EQ(tree->NodeOf(blink), nullptr);
    EXPECT_EQ(tree->NodeOf(led), ledNode);

    auto* added = static_cast<QTreeWidgetItem*>(tree->InsertNode("again", ledNode));
    EXPECT_EQ(tree->NodeOf(blink), nullptr);
    tree->SetNodeData(added, blink);
    EXPECT_EQ(tree->NodeOf(blink), added);
    // An earlier node given the same item comes first.
    tree->SetNodeData(ledNode, blink);
    EXPECT_EQ(tree->NodeOf(blink), ledNode);
    EXPECT_EQ(tree->NodeOf(led), nullptr);

    tree->ClearTree();
    EXPECT_EQ(tree->NodeOf(blink), nullptr);
  }});
}

TEST_F(ConfigTreeTest, ATriggerThatSwitchesAnItemRecoloursItsNodeAtTheNextRepaint) {
  Run({[&](CDuiHandlerMain& main, CDuiDialog& d) {
    d.resize(1000, 700);
    NewProject(main);
    CConfigTreeCtrl* tree = main.ConfigTree();
    SelectNode(main, "ledSettings");
    tree->NodeOf(Item(main, "ledSettings"))->setExpanded(true);
    QTreeWidgetItem* blink = tree->NodeOf(Item(main, "ledBlinkRate"));
    QTreeWidgetItem* breath = tree->NodeOf(Item(main, "ledBreathPeriod"));
    ASSERT_TRUE(blink && breath);
    tree->scrollToItem(blink);
    test::Pump();
    EXPECT_EQ(CConfigTreeCtrl::TextColourOf(blink), QColor(0x78, 0x78, 0x78));
    EXPECT_EQ(CConfigTreeCtrl::TextColourOf(breath), QColor(Qt::black));
    EXPECT_GE(DarkestInk(*tree, blink), 0x70);
    EXPECT_LT(DarkestInk(*tree, breath), 0x40);

    ChooseOption(main, "ledMode", "Blink");
    EXPECT_EQ(Item(main, "ledBlinkRate")->disable, 0);
    EXPECT_EQ(Item(main, "ledBreathPeriod")->disable, 1);
    EXPECT_LT(DarkestInk(*tree, blink), 0x40);
    EXPECT_GE(DarkestInk(*tree, breath), 0x70);
  }});
}

}  // namespace
}  // namespace korvane
