#include "BrowseBox.h"

#include <QPluginLoader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <gtest/gtest.h>
#include <memory>

// The plugin a form designer loads: it must load and hand out real BrowseBoxes.
TEST(DesignerPlugin, LoadsAndCreatesABrowseBox)
{
    QPluginLoader loader(QStringLiteral(OSTREL_DESIGNER_PLUGIN));
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
    ASSERT_NE(plugin, nullptr) << loader.errorString().toStdString();
    EXPECT_EQ(plugin->name(), QStringLiteral("Ostrel::BrowseBox"));
    EXPECT_EQ(plugin->includeFile(), QStringLiteral("BrowseBox.h"));
    EXPECT_TRUE(plugin->domXml().contains(QStringLiteral("class=\"Ostrel::BrowseBox\"")));
    std::unique_ptr<QWidget> widget(plugin->createWidget(nullptr));
    auto* box = qobject_cast<Ostrel::BrowseBox*>(widget.get());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->ToolTipRight(), QStringLiteral("Browse..."));
}
