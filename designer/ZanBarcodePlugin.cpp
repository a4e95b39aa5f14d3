#include "ZanBarcodePlugin.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QExtensionManager>

#include <zanbarcode/design/ZanBarcodeReg.h>
#include <zanbarcode/qt/ZanBarcodeWidget.h>

#include "ZanBarcodeSheet.h"
#include "package/ZanPaletteBitmaps.h"

QString ZanBarcodePlugin::name() const { return QStringLiteral("ZanBarcodeWidget"); }

QString ZanBarcodePlugin::group() const { return QStringLiteral("Orvane"); }

QIcon ZanBarcodePlugin::icon() const {
    const auto& bitmap = zan::package::BarcodeBitmap;
    QImage image;
    image.loadFromData(bitmap.data(), static_cast<int>(bitmap.size()), "BMP");
    return QIcon(QPixmap::fromImage(image));
}

QString ZanBarcodePlugin::toolTip() const { return QStringLiteral("Barcode"); }

QString ZanBarcodePlugin::whatsThis() const {
    return QStringLiteral("Shows the barcode of its caption in one of the registered symbologies.");
}

QString ZanBarcodePlugin::domXml() const {
    return QStringLiteral(
        "<ui language=\"c++\">\n"
        " <widget class=\"ZanBarcodeWidget\" name=\"barcode\">\n"
        "  <property name=\"symbologyName\">\n"
        "   <string notr=\"true\">Code 128</string>\n"
        "  </property>\n"
        " </widget>\n"
        " <customwidgets>\n"
        "  <customwidget>\n"
        "   <class>ZanBarcodeWidget</class>\n"
        "   <extends>QWidget</extends>\n"
        "   <header>zanbarcode/qt/ZanBarcodeWidget.h</header>\n"
        "  </customwidget>\n"
        " </customwidgets>\n"
        "</ui>\n");
}

QString ZanBarcodePlugin::includeFile() const { return QStringLiteral("zanbarcode/qt/ZanBarcodeWidget.h"); }

QWidget* ZanBarcodePlugin::createWidget(QWidget* parent) {
    auto* widget = new ZanBarcodeWidget(parent);
    // QUiLoader makes widgets through the plugin too, for a running program.
    widget->setDesignMode(FDesigner != nullptr);
    return widget;
}

void ZanBarcodePlugin::initialize(QDesignerFormEditorInterface* core) {
    if (FInitialized) return;
    FInitialized = true;
    FDesigner = core;
    zan::Register();
    if (core != nullptr) RegisterBarcodeSheet(core);
}
