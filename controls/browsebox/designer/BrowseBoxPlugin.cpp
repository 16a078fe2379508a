// SPDX-License-Identifier: MIT
#include "BrowseBoxPlugin.h"

#include "controls/browsebox/BrowseGlyph.h"

#include <Ostrel/BrowseBox.h>
#include <QIcon>
#include <QPainter>

namespace Ostrel
{
BrowseBoxPlugin::BrowseBoxPlugin(QObject* parent) : QObject(parent) {}

QString BrowseBoxPlugin::name() const
{
    return QStringLiteral("Ostrel::BrowseBox");
}

QString BrowseBoxPlugin::group() const
{
    return QStringLiteral("Ostrel");
}

QString BrowseBoxPlugin::toolTip() const
{
    return QStringLiteral("Path field with browse buttons");
}

QString BrowseBoxPlugin::whatsThis() const
{
    return QStringLiteral("A one-line path field with an optional button on each side, a "
                          "validation message and a check of pasted paths.");
}

QString BrowseBoxPlugin::includeFile() const
{
    // The header as an installed Ostrel offers it (find_package(Ostrel)).
    return QStringLiteral("<Ostrel/BrowseBox.h>");
}

// The toolbox picture: a small field with the browse glyph's dots at its right end.
QIcon BrowseBoxPlugin::icon() const
{
    QPixmap pixmap(16, 15);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(Qt::white);
    painter.drawRect(0, 3, 15, 8);
    painter.fillRect(10, 4, 5, 7, QColor(212, 208, 200));
    for (const int x : {11, 12, 13})
        painter.fillRect(x, 9, 1, 1, Qt::black);
    return QIcon(pixmap);
}

bool BrowseBoxPlugin::isContainer() const
{
    return false;
}

QWidget* BrowseBoxPlugin::createWidget(QWidget* parent)
{
    return new BrowseBox(parent);
}

bool BrowseBoxPlugin::isInitialized() const
{
    return Initialized;
}

void BrowseBoxPlugin::initialize(QDesignerFormEditorInterface*)
{
    Initialized = true;
}

QString BrowseBoxPlugin::domXml() const
{
    return QStringLiteral("<ui language=\"c++\">\n"
                          " <widget class=\"Ostrel::BrowseBox\" name=\"browseBox\">\n"
                          "  <property name=\"geometry\">\n"
                          "   <rect><x>0</x><y>0</y><width>240</width><height>21</height></rect>\n"
                          "  </property>\n"
                          " </widget>\n"
                          "</ui>\n");
}
} // namespace Ostrel
