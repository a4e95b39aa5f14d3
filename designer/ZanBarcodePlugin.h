// The Qt Designer plugin of the barcode widget: ZanBarcodeWidget in the widget box.
#pragma once

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

class ZanBarcodePlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit ZanBarcodePlugin(QObject* parent = nullptr) : QObject(parent) {}

    QString name() const override;
    // "Orvane", the palette page of the library's designer.
    QString group() const override;
    // The palette picture TZANBARCODE.
    QIcon icon() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    bool isContainer() const override { return false; }
    // A new widget's symbology name and caption, untranslatable so that uic sets them in
    // setupUi before the symbology's settings.
    QString domXml() const override;
    QString includeFile() const override;
    // In Designer a widget in design mode: a refused caption shows the designer's
    // message box.
    QWidget* createWidget(QWidget* parent) override;

    bool isInitialized() const override { return FInitialized; }
    // Registers the library's designer support and the widget's property sheet.
    void initialize(QDesignerFormEditorInterface* core) override;

private:
    bool FInitialized = false;
    QDesignerFormEditorInterface* FDesigner = nullptr;
};
