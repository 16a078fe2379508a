// SPDX-License-Identifier: MIT
#pragma once
// Puts BrowseBox in Qt Designer's widget box, the way a control library is registered
// for form designers.
#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace Ostrel
{
class BrowseBoxPlugin : public QObject, public QDesignerCustomWidgetInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit BrowseBoxPlugin(QObject* parent = nullptr);

    QString name() const override;
    QString group() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override;
    QWidget* createWidget(QWidget* parent) override;
    bool isInitialized() const override;
    void initialize(QDesignerFormEditorInterface* core) override;
    QString domXml() const override;

private:
    bool Initialized = false;
};
} // namespace Ostrel
