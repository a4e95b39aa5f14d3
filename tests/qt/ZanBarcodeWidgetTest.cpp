#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/controls/ZanBarcodeCtrls.h>
#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/qt/ZanBarcodeWidget.h>
#include <zanbarcode/qt/ZanQtText.h>

#include "tests/support/TestSupport.h"

namespace {

using zan::platform::TBitmap;

// Counts the paints and resizes that a widget receives.
class TEventCounter : public QObject {
public:
    explicit TEventCounter(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++Paints;
        if (event->type() == QEvent::Resize) ++Resizes;
        return false;
    }
    int Paints = 0;
    int Resizes = 0;
};

// The widget as a person sees it: what its paint event puts on the screen.
QImage OnScreen(ZanBarcodeWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The first pixel in which the widget and the bitmap differ, or "" when they agree.
std::string FirstDifference(const QImage& image, const TBitmap& bitmap) {
    if (image.width() != bitmap.GetWidth() || image.height() != bitmap.GetHeight())
        return "size " + std::to_string(image.width()) + "x" + std::to_string(image.height()) + " against " +
               std::to_string(bitmap.GetWidth()) + "x" + std::to_string(bitmap.GetHeight());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb shown = image.pixel(x, y);
            const zan::TColor copied = bitmap.GetPixel(x, y);
            if (qRed(shown) != zan::platform::RedOf(copied) || qGreen(shown) != zan::platform::GreenOf(copied) ||
                qBlue(shown) != zan::platform::BlueOf(copied))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    return "";
}

std::vector<std::string> RegisteredNames() {
    zan::RegisterBarcodeControls();
    std::vector<std::string> names;
    for (int i = 0; i < zan::SymbologyCount(); ++i) names.push_back(zan::GetSymbologyClassByIndex(i)->GetSymbologyName());
    return names;
}

TEST(ZanBarcodeWidgetTest, ShowsTheBitmapCopyPixelForPixelForEverySymbologyAndOrientation) {
    const std::vector<std::string> names = RegisteredNames();
    ASSERT_EQ(names.size(), 10u);
    for (const std::string& name : names)
        for (const auto orientation : {ZanBarcodeWidget::Normal, ZanBarcodeWidget::Degrees90,
                                       ZanBarcodeWidget::Degrees180, ZanBarcodeWidget::Degrees270}) {
            SCOPED_TRACE(name + " turned " + std::to_string(orientation));
            ZanBarcodeWidget widget;
            ASSERT_TRUE(widget.setSymbologyName(zan::qt::ToQString(name)));
            widget.setOrientation(orientation);
            // A colour for each part, so that a part drawn in the wrong one shows.
            widget.setBarColor(QColor(10, 20, 120));
            widget.setSpaceColor(QColor(250, 240, 200));
            widget.setBackgroundColor(QColor(200, 255, 210));
            TBitmap copy;
            copy.SetPixelsPerInch(widget.logicalDpiY());
            widget.control().CopyToBitmap(copy);
            EXPECT_EQ(FirstDifference(OnScreen(widget), copy), "");
        }
}

TEST(ZanBarcodeWidgetTest, SizesItselfToTheCodeAlongTheBars) {
    ZanBarcodeWidget widget;
    widget.show();
    ASSERT_TRUE(widget.setCaption(QStringLiteral("SHORT")));
    const int shortCode = widget.control().GetSymbology()->GetCodeWidth();
    EXPECT_EQ(widget.size(), QSize(shortCode + 10, 50));  // margins of 5 beside the code
    ASSERT_TRUE(widget.setCaption(QStringLiteral("A MUCH LONGER CAPTION")));
    const int longCode = widget.control().GetSymbology()->GetCodeWidth();
    EXPECT_GT(longCode, shortCode);
    EXPECT_EQ(widget.size(), QSize(longCode + 10, 50));
    EXPECT_EQ(widget.sizeHint(), widget.size());

    // Turned upright, the code runs down the widget; the width stays as it was.
    widget.setMarginTop(7);
    widget.setOrientation(ZanBarcodeWidget::Degrees90);
    EXPECT_EQ(widget.size(), QSize(longCode + 10, longCode + 7 + 5));

    // Without auto-size the widget keeps the size it is given.
    widget.setAutoSize(false);
    widget.resize(300, 80);
    EXPECT_EQ(widget.size(), QSize(300, 80));
    EXPECT_EQ(widget.control().GetWidth(), 300);
    EXPECT_EQ(widget.sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
}

TEST(ZanBarcodeWidgetTest, UpdateBracketResizesAndRepaintsOnceAtTheOutermostEnd) {
    ZanBarcodeWidget widget;
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QApplication::processEvents();
    TEventCounter counter(widget);
    QSignalSpy changes(&widget, &ZanBarcodeWidget::visualChanged);
    const QSize before = widget.size();

    widget.beginUpdate();
    widget.beginUpdate();
    widget.setCaption(QStringLiteral("A LONGER ONE"));
    widget.setBarColor(Qt::red);
    widget.endUpdate();  // inner: nothing yet
    QApplication::processEvents();
    EXPECT_EQ(widget.size(), before);
    EXPECT_EQ(counter.Resizes, 0);
    EXPECT_EQ(changes.count(), 2);  // the control's OnVisualChange still fires for each change
    // Qt painted the window, and the control held its drawing back for the bracket's end.
    zan::TZanBarcodeUpdateStatus status = widget.control().GetRenderer().GetUpdateStatus();
    EXPECT_TRUE(status.Contains(zan::busRepaint));
    EXPECT_TRUE(status.Contains(zan::busAutoSize));

    counter.Paints = 0;
    widget.endUpdate();
    QApplication::processEvents();
    EXPECT_EQ(widget.width(), widget.control().GetSymbology()->GetCodeWidth() + 10);
    EXPECT_EQ(counter.Resizes, 1);
    EXPECT_EQ(counter.Paints, 1);
    status = widget.control().GetRenderer().GetUpdateStatus();
    EXPECT_FALSE(status.Contains(zan::busRepaint));
    EXPECT_FALSE(status.Contains(zan::busAutoSize));
}

TEST(ZanBarcodeWidgetTest, RefusedValuesLeaveTheBarcodeAsItWasAndSaySo) {
    ZanBarcodeWidget widget;
    ASSERT_TRUE(widget.setSymbologyName(QStringLiteral("EAN 13")));
    const QString standing = widget.caption();
    QSignalSpy errors(&widget, &ZanBarcodeWidget::errorOccurred);

    EXPECT_FALSE(widget.setCaption(QStringLiteral("ABC")));
    EXPECT_EQ(widget.caption(), standing);
    EXPECT_EQ(widget.control().GetText(), standing.toStdString());
    EXPECT_FALSE(widget.setSymbologyName(QStringLiteral("Code 93")));
    EXPECT_EQ(widget.symbologyName(), QStringLiteral("EAN 13"));
    EXPECT_FALSE(widget.setCaption(QStringLiteral("590123412345\u4e2d")));  // beyond Windows-1252
    ASSERT_EQ(errors.count(), 3);
    EXPECT_EQ(errors.at(1).at(0).toString(), QStringLiteral("Code 93 is not a valid symbology name."));
}

TEST(ZanBarcodeWidgetTest, SettingsApplyWhicheverComesFirstTheSymbologyOrTheSetting) {
    ZanBarcodeWidget widget;
    // Codabar's start character, set while the symbology is still Code 128.
    widget.setProperty("Symbology.StartChar", QStringLiteral("C"));
    widget.setProperty("Symbology.XDimension", 20.0);
    EXPECT_EQ(widget.symbologySetting(QStringLiteral("XDimension")).toDouble(), 20.0);
    ASSERT_TRUE(widget.setSymbologyName(QStringLiteral("Codabar")));
    EXPECT_EQ(widget.symbologySetting(QStringLiteral("StartChar")).toString(), QStringLiteral("C"));
    EXPECT_EQ(widget.symbologySetting(QStringLiteral("XDimension")).toDouble(), 20.0);
    // The settings reach the size: the code of 20-mil modules is wider.
    EXPECT_EQ(widget.width(), widget.control().GetSymbology()->GetCodeWidth() + 10);

    widget.setSymbologySetting(QStringLiteral("DisplayCaption"), false);
    EXPECT_EQ(widget.symbologySetting(QStringLiteral("DisplayCaption")).toBool(), false);
    EXPECT_EQ(widget.symbologySettingNames(),
              (QStringList{QStringLiteral("XDimension"), QStringLiteral("DisplayCaption"), QStringLiteral("StartChar"),
                           QStringLiteral("StopChar")}));
}

TEST(ZanBarcodeWidgetTest, ARefusedCaptionWaitsForTheSettingThatAllowsIt) {
    ZanBarcodeWidget widget;
    ASSERT_TRUE(widget.setSymbologyName(QStringLiteral("Code 39")));
    EXPECT_FALSE(widget.setCaption(QStringLiteral("Hi!")));  // '!' needs full ASCII
    EXPECT_NE(widget.caption(), QStringLiteral("Hi!"));
    widget.setSymbologySetting(QStringLiteral("FullAscii"), true);
    EXPECT_EQ(widget.caption(), QStringLiteral("Hi!"));
    EXPECT_EQ(widget.control().GetText(), "Hi!");
}

TEST(ZanBarcodeWidgetTest, InTheDesignerARefusedCaptionShowsTheMessageBoxAndTheDefaultCaption) {
    ZanBarcodeWidget widget;
    ASSERT_TRUE(widget.setSymbologyName(QStringLiteral("EAN 8")));
    widget.setDesignMode(true);
    QString title;
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    widget.setCaption(QStringLiteral("12X"));
    EXPECT_EQ(title, QStringLiteral("Invalid Text"));
    EXPECT_EQ(text, QStringLiteral("Invalid Caption: 12X"));
    EXPECT_EQ(widget.caption(),
              zan::qt::ToQString(widget.control().GetSymbology()->GetDefaultCaption()));
}

TEST(ZanBarcodeWidgetTest, SavesAndCopiesTheBarcodeAsAScannerReadsIt) {
    ZanBarcodeWidget widget;
    ASSERT_TRUE(widget.setSymbologyName(QStringLiteral("Code 39")));
    QSignalSpy refusals(&widget, &ZanBarcodeWidget::errorOccurred);
    ASSERT_TRUE(widget.setCaption(QStringLiteral("QT WIDGET 39"))) << refusals.at(0).at(0).toString().toStdString();
    const QImage image = widget.toImage(300);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.dotsPerMeterX(), qRound(300 / 0.0254));
    const std::string folder = zantest::TestOutputDir("ZanBarcodeWidgetTest");
    ASSERT_TRUE(image.save(QString::fromStdString(folder + "/image.png")));
    EXPECT_EQ(zantest::ScanWithZbar(folder + "/image.png"), std::vector<std::string>{"CODE-39:QT WIDGET 39"});
    ASSERT_TRUE(widget.saveToFile(QString::fromStdString(folder + "/saved.png"), 200));
    EXPECT_EQ(zantest::ScanWithZbar(folder + "/saved.png"), std::vector<std::string>{"CODE-39:QT WIDGET 39"});
    ASSERT_TRUE(widget.saveToFile(QString::fromStdString(folder + "/saved.svg")));
    QSignalSpy errors(&widget, &ZanBarcodeWidget::errorOccurred);
    EXPECT_FALSE(widget.saveToFile(QStringLiteral("/nonexistent-folder/barcode.png")));
    EXPECT_EQ(errors.count(), 1);
}

}  // namespace
