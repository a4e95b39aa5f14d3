#include <gtest/gtest.h>

#include <memory>

#include <QFile>
#include <QImage>
#include <QPluginLoader>
#include <QUiLoader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <zanbarcode/controls/ZanBarcodeCtrls.h>
#include <zanbarcode/qt/ZanBarcodeWidget.h>

#include "package/ZanPaletteBitmaps.h"
#include "ui_BarcodeForm.h"

namespace {

// The two barcodes of forms/BarcodeForm.ui, set up in code as the form describes them.
void SetUpEan(ZanBarcodeWidget& w) {
    w.setSymbologyName(QStringLiteral("EAN 13"));
    w.setCaption(QStringLiteral("590123412345"));
    w.setOrientation(ZanBarcodeWidget::Degrees180);
    w.setBarColor(QColor(0, 0, 128));
    w.setMarginLeft(12);
    w.setSymbologySetting(QStringLiteral("XDimension"), 13.0);
    w.setSymbologySetting(QStringLiteral("Supplemental"), QStringLiteral("12"));
    w.setSymbologySetting(QStringLiteral("FlagDigitLocation"), QStringLiteral("dlOutside"));
}

void SetUpCode39(ZanBarcodeWidget& w) {
    w.setSymbologyName(QStringLiteral("Code 39"));
    w.setAlignment(ZanBarcodeWidget::Center);
    w.setSymbologySetting(QStringLiteral("FullAscii"), true);
    w.setSymbologySetting(QStringLiteral("UseCheckDigit"), true);
    w.setCaption(QStringLiteral("Hi!"));
}

void ExpectSameBarcodes(QWidget& form) {
    auto* ean = form.findChild<ZanBarcodeWidget*>(QStringLiteral("ean"));
    auto* code39 = form.findChild<ZanBarcodeWidget*>(QStringLiteral("code39"));
    ASSERT_NE(ean, nullptr);
    ASSERT_NE(code39, nullptr);
    ZanBarcodeWidget eanInCode;
    SetUpEan(eanInCode);
    ZanBarcodeWidget code39InCode;
    SetUpCode39(code39InCode);
    EXPECT_EQ(ean->symbologySetting(QStringLiteral("FlagDigitLocation")).toString(), QStringLiteral("dlOutside"));
    EXPECT_EQ(ean->symbologySetting(QStringLiteral("XDimension")).toDouble(), 13.0);
    // The caption that needs FullAscii, which the form sets after it, came through.
    EXPECT_EQ(code39->caption(), QStringLiteral("Hi!"));
    EXPECT_TRUE(code39->symbologySetting(QStringLiteral("UseCheckDigit")).toBool());
    EXPECT_EQ(ean->toImage(), eanInCode.toImage());
    EXPECT_EQ(code39->toImage(), code39InCode.toImage());
    EXPECT_EQ(ean->size(), eanInCode.size());
}

TEST(ZanDesignerFormsTest, UicCompiledFormDrawsTheBarcodesItDescribes) {
    QWidget form;
    Ui::BarcodeForm ui;
    ui.setupUi(&form);
    ExpectSameBarcodes(form);
}

TEST(ZanDesignerFormsTest, UiLoaderWithThePluginDrawsTheSameBarcodes) {
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QStringLiteral(ZAN_DESIGNER_PLUGIN_DIR));
    ASSERT_TRUE(loader.availableWidgets().contains(QStringLiteral("ZanBarcodeWidget")));
    QFile file(QStringLiteral(ZAN_FORMS_DIR "/BarcodeForm.ui"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::unique_ptr<QWidget> form(loader.load(&file));
    ASSERT_NE(form, nullptr) << loader.errorString().toStdString();
    ExpectSameBarcodes(*form);
}

TEST(ZanDesignerFormsTest, PluginReportsItsGroupIconAndXml) {
    QPluginLoader loader(QStringLiteral(ZAN_DESIGNER_PLUGIN_FILE));
    ASSERT_TRUE(loader.load()) << loader.errorString().toStdString();
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->name(), QStringLiteral("ZanBarcodeWidget"));
    EXPECT_EQ(plugin->group(), QStringLiteral("Orvane"));
    EXPECT_EQ(plugin->includeFile(), QStringLiteral("zanbarcode/qt/ZanBarcodeWidget.h"));

    // The icon is the palette picture, pixel for pixel.
    QImage palette;
    ASSERT_TRUE(palette.loadFromData(zan::package::BarcodeBitmap.data(),
                                     static_cast<int>(zan::package::BarcodeBitmap.size()), "BMP"));
    const QImage icon = plugin->icon().pixmap(24, 24).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(icon, palette.convertToFormat(QImage::Format_RGB32));

    const QString xml = plugin->domXml();
    EXPECT_TRUE(xml.contains(QStringLiteral("<widget class=\"ZanBarcodeWidget\" name=\"barcode\">")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<string notr=\"true\">Code 128</string>")));
    std::unique_ptr<QWidget> widget(plugin->createWidget(nullptr));
    auto* barcode = qobject_cast<ZanBarcodeWidget*>(widget.get());
    ASSERT_NE(barcode, nullptr);
    // Outside Designer (no form editor initialised the plugin) it is a run-time widget.
    EXPECT_FALSE(barcode->control().IsDesigning());
}

}  // namespace
