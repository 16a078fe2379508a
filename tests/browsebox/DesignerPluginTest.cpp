// SPDX-License-Identifier: MIT
#include <Ostrel/BrowseBox.h>
#include <QBuffer>
#include <QMetaProperty>
#include <QPixmap>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QtDesigner/QFormBuilder>
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
    EXPECT_EQ(plugin->includeFile(), QStringLiteral("<Ostrel/BrowseBox.h>"));
    EXPECT_TRUE(plugin->domXml().contains(QStringLiteral("class=\"Ostrel::BrowseBox\"")));
    std::unique_ptr<QWidget> widget(plugin->createWidget(nullptr));
    auto* box = qobject_cast<Ostrel::BrowseBox*>(widget.get());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->ToolTipRight(), QStringLiteral("Browse..."));
}

namespace
{
// A form builder that knows the control, as Designer does through the plugin.
class BoxFormBuilder : public QFormBuilder
{
protected:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        if (className != QStringLiteral("Ostrel::BrowseBox"))
            return QFormBuilder::createWidget(className, parent, name);
        auto* box = new Ostrel::BrowseBox(parent);
        box->setObjectName(name);
        return box;
    }

    // The control is no container: its parts are not saved with the form (as Designer,
    // told so by the plugin, leaves them out).
    DomWidget* createDom(QWidget* widget, DomWidget* parent, bool recursive) override
    {
        return QFormBuilder::createDom(
            widget, parent, recursive && qobject_cast<Ostrel::BrowseBox*>(widget) == nullptr);
    }
};

QPixmap Filled(const QColor& color)
{
    QPixmap pixmap(8, 8);
    pixmap.fill(color);
    return pixmap;
}
} // namespace

// The types a form designer's property editor can edit and write to a form.
bool DesignerEditable(const QMetaProperty& p)
{
    if (p.isEnumType())
        return true;
    switch (p.typeId())
    {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::QString:
    case QMetaType::QColor:
    case QMetaType::QFont:
    case QMetaType::QPixmap:
        return true;
    default:
        return false; // short and uint among them: shown as raw numbers or not at all
    }
}

// Every design-time property can be edited in a form designer, and a form that sets all of
// them, written as the designer writes it (enums by name, colours as colours, pictures as
// files), loads into the control.
TEST(DesignerForm, EveryDesignTimePropertyIsEditableAndLoadsFromAForm)
{
    using Ostrel::BrowseBox;
    const QMetaObject& meta = BrowseBox::staticMetaObject;
    for (int i = meta.propertyOffset(); i < meta.propertyOffset() + 23; ++i)
    {
        const QMetaProperty p = meta.property(i);
        EXPECT_TRUE(p.isDesignable() && p.isStored() && p.isWritable()) << p.name();
        EXPECT_TRUE(DesignerEditable(p)) << p.name() << " is " << p.typeName();
    }

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString red = folder.filePath(QStringLiteral("red.png"));
    ASSERT_TRUE(Filled(Qt::red).save(red));
    const QString ui = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0"><class>Form</class>
 <widget class="QWidget" name="Form">
  <widget class="Ostrel::BrowseBox" name="box">
   <property name="Appearance"><enum>BrowseBox::Flat</enum></property>
   <property name="BackColor"><color><red>0</red><green>128</green><blue>255</blue></color></property>
   <property name="CustomMenu"><bool>true</bool></property>
   <property name="Enabled"><bool>false</bool></property>
   <property name="EnabledLeft"><bool>false</bool></property>
   <property name="EnabledRight"><bool>false</bool></property>
   <property name="Font"><font><family>DejaVu Serif</family><pointsize>15</pointsize><italic>true</italic></font></property>
   <property name="ForeColor"><color><red>255</red><green>0</green><blue>0</blue></color></property>
   <property name="Locked"><bool>true</bool></property>
   <property name="MaxLength"><number>40</number></property>
   <property name="MouseIcon"><pixmap>%1</pixmap></property>
   <property name="MousePointer"><enum>BrowseBox::Custom</enum></property>
   <property name="MustExist"><bool>false</bool></property>
   <property name="OLEDragMode"><enum>BrowseBox::OLEDragAutomatic</enum></property>
   <property name="OLEDropMode"><enum>BrowseBox::OLEDropManual</enum></property>
   <property name="PasswordChar"><string>*</string></property>
   <property name="PictureLeft"><pixmap>%1</pixmap></property>
   <property name="PictureRight"><pixmap>%1</pixmap></property>
   <property name="Text"><string>C:\Data</string></property>
   <property name="ToolTipLeft"><string>Back</string></property>
   <property name="ToolTipRight"><string>Pick</string></property>
   <property name="VisibleLeft"><bool>true</bool></property>
   <property name="VisibleRight"><bool>false</bool></property>
  </widget>
 </widget>
</ui>)")
                           .arg(red);
    QBuffer form;
    form.setData(ui.toUtf8());
    form.open(QIODevice::ReadOnly);
    BoxFormBuilder builder;
    std::unique_ptr<QWidget> loaded(builder.load(&form));
    ASSERT_NE(loaded, nullptr) << builder.errorString().toStdString();
    auto* box = loaded->findChild<BrowseBox*>(QStringLiteral("box"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->Appearance(), BrowseBox::Flat);
    EXPECT_EQ(box->BackColor(), 0x00FF8000u);
    EXPECT_TRUE(box->CustomMenu());
    EXPECT_FALSE(box->Enabled());
    EXPECT_FALSE(box->EnabledLeft());
    EXPECT_FALSE(box->EnabledRight());
    EXPECT_EQ(box->Font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(box->Font().italic());
    EXPECT_EQ(box->ForeColor(), 0x000000FFu);
    EXPECT_TRUE(box->Locked());
    EXPECT_EQ(box->MaxLength(), 40);
    EXPECT_EQ(box->MouseIcon().toImage().pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(box->MousePointer(), BrowseBox::Custom);
    EXPECT_FALSE(box->MustExist());
    EXPECT_EQ(box->OLEDragMode(), BrowseBox::OLEDragAutomatic);
    EXPECT_EQ(box->OLEDropMode(), BrowseBox::OLEDropManual);
    EXPECT_EQ(box->PasswordChar(), QStringLiteral("*"));
    EXPECT_EQ(box->PictureLeft().toImage().pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(box->PictureRight().toImage().pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(box->Text(), QStringLiteral("C:\\Data"));
    EXPECT_EQ(box->ToolTipLeft(), QStringLiteral("Back"));
    EXPECT_EQ(box->ToolTipRight(), QStringLiteral("Pick"));
    EXPECT_TRUE(box->VisibleLeft());
    EXPECT_FALSE(box->VisibleRight());
}

// Loading and saving a form in a form designer keeps the control's width, however often.
TEST(DesignerForm, RoundTripsKeepTheWidth)
{
    QByteArray ui = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0"><class>Form</class>
 <widget class="QWidget" name="Form">
  <property name="geometry"><rect><x>0</x><y>0</y><width>400</width><height>100</height></rect></property>
  <widget class="Ostrel::BrowseBox" name="box">
   <property name="geometry"><rect><x>10</x><y>10</y><width>300</width><height>26</height></rect></property>
   <property name="Appearance"><enum>BrowseBox::ThreeD</enum></property>
   <property name="EnabledLeft"><bool>true</bool></property>
   <property name="EnabledRight"><bool>true</bool></property>
   <property name="Font"><font><family>DejaVu Sans</family><pointsize>10</pointsize></font></property>
   <property name="VisibleLeft"><bool>true</bool></property>
   <property name="VisibleRight"><bool>true</bool></property>
  </widget>
 </widget>
</ui>)";
    for (int trip = 1; trip <= 3; ++trip)
    {
        SCOPED_TRACE(trip);
        QBuffer in(&ui);
        in.open(QIODevice::ReadOnly);
        BoxFormBuilder builder;
        std::unique_ptr<QWidget> loaded(builder.load(&in));
        ASSERT_NE(loaded, nullptr) << builder.errorString().toStdString();
        auto* box = loaded->findChild<Ostrel::BrowseBox*>(QStringLiteral("box"));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->width(), 300);
        QByteArray saved;
        QBuffer out(&saved);
        out.open(QIODevice::WriteOnly);
        // The plain form builder cannot write enumerations; Designer's own can.
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        builder.save(&out, loaded.get());
        qInstallMessageHandler(previous);
        ui = saved;
    }
}
