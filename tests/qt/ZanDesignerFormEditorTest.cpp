// Qt Designer's own form editor, run off-screen: it loads the plugin, takes a barcode
// onto a form and edits it through the plugin's property sheet, as Designer's property
// editor does.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <QtDesigner/private/qdesigner_utils_p.h>
#include <QBuffer>
#include <QCoreApplication>
#include <QUiLoader>
#include <QUndoStack>
#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtDesigner/QDesignerPropertyEditorInterface>
#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QDesignerWidgetFactoryInterface>
#include <QtDesigner/QExtensionManager>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/controls/ZanBarcodeCtrls.h>
#include <zanbarcode/qt/ZanBarcodeWidget.h>

// Failures show names as text.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

using qdesigner_internal::PropertySheetEnumValue;

constexpr const char* EmptyForm =
    "<ui version=\"4.0\"><class>Form</class>"
    "<widget class=\"QWidget\" name=\"Form\"><property name=\"geometry\">"
    "<rect><x>0</x><y>0</y><width>400</width><height>300</height></rect></property></widget></ui>";

class ZanDesignerFormEditorTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // Designer looks for its plugins in the "designer" folder of every library path.
        QCoreApplication::addLibraryPath(QStringLiteral(ZAN_DESIGNER_PLUGIN_DIR "/.."));
        Core = QDesignerComponents::createFormEditor(nullptr);
        QDesignerComponents::initializeResources();
        QDesignerComponents::initializePlugins(Core);
        Core->setPropertyEditor(QDesignerComponents::createPropertyEditor(Core, nullptr));
        // Form windows ask the integration what the host supports.
        Integration = new QDesignerIntegration(Core);
    }

    static void TearDownTestSuite() {
        delete Integration;
        delete Core->propertyEditor();
        delete Core;
        Core = nullptr;
    }

    void SetUp() override {
        FForm.reset(Core->formWindowManager()->createFormWindow(nullptr));
        ASSERT_TRUE(FForm->setContents(QString::fromLatin1(EmptyForm)));
    }

    void TearDown() override {
        Core->propertyEditor()->setObject(nullptr);
        FForm.reset();
    }

    // What dropping it from the widget box does: the factory makes the widget, the form
    // takes it in, the property editor shows it.
    ZanBarcodeWidget* DropBarcode() {
        QWidget* widget =
            Core->widgetFactory()->createWidget(QStringLiteral("ZanBarcodeWidget"), FForm->mainContainer());
        auto* barcode = qobject_cast<ZanBarcodeWidget*>(widget);
        if (barcode == nullptr) return nullptr;
        FForm->manageWidget(barcode);
        FForm->clearSelection(false);
        FForm->selectWidget(barcode);
        Core->propertyEditor()->setObject(barcode);
        return barcode;
    }

    static QDesignerPropertySheetExtension* Sheet(QObject* widget) {
        return qt_extension<QDesignerPropertySheetExtension*>(Core->extensionManager(), widget);
    }

    // The rows of the property editor's group "Symbology".
    static QStringList SymbologyRows(QObject* widget) {
        QDesignerPropertySheetExtension* sheet = Sheet(widget);
        QStringList rows;
        for (int index = 0; index < sheet->count(); ++index)
            if (sheet->isVisible(index) && sheet->propertyGroup(index) == QLatin1String("Symbology"))
                rows << sheet->propertyName(index);
        return rows;
    }

    // The symbology drop-down as the property editor gets it.
    static PropertySheetEnumValue NameChoice(QObject* widget) {
        QDesignerPropertySheetExtension* sheet = Sheet(widget);
        const QVariant value = sheet->property(sheet->indexOf(QStringLiteral("symbologyName")));
        EXPECT_TRUE(value.canConvert<PropertySheetEnumValue>());
        return value.value<PropertySheetEnumValue>();
    }

    // Picks a name in the drop-down: the property editor hands the chosen entry's value
    // to the form, which sets it through an undoable command.
    void Choose(ZanBarcodeWidget* widget, const QString& name) {
        bool found = false;
        const int value = NameChoice(widget).metaEnum.keyToValue(name, &found);
        ASSERT_TRUE(found) << name.toStdString();
        FForm->cursor()->setWidgetProperty(widget, QStringLiteral("symbologyName"), value);
    }

    static QDesignerFormEditorInterface* Core;
    static QDesignerIntegration* Integration;
    std::unique_ptr<QDesignerFormWindowInterface> FForm;
};

QDesignerFormEditorInterface* ZanDesignerFormEditorTest::Core = nullptr;
QDesignerIntegration* ZanDesignerFormEditorTest::Integration = nullptr;

TEST_F(ZanDesignerFormEditorTest, DropDownOffersTheRegisteredNamesSorted) {
    ZanBarcodeWidget* barcode = DropBarcode();
    ASSERT_NE(barcode, nullptr);
    EXPECT_TRUE(barcode->control().IsDesigning());
    std::vector<std::string> registered;
    for (int i = 0; i < zan::SymbologyCount(); ++i)
        registered.push_back(zan::GetSymbologyClassByIndex(i)->GetSymbologyName());
    std::sort(registered.begin(), registered.end());
    QStringList expected;
    for (const std::string& name : registered) expected << QString::fromStdString(name);

    const PropertySheetEnumValue choice = NameChoice(barcode);
    EXPECT_EQ(choice.metaEnum.keys(), expected);
    EXPECT_EQ(choice.metaEnum.valueToKey(choice.value), QStringLiteral("Code 128"));
}

TEST_F(ZanDesignerFormEditorTest, SettingsGroupFollowsTheChosenSymbologyAndItsUndo) {
    ZanBarcodeWidget* barcode = DropBarcode();
    ASSERT_NE(barcode, nullptr);
    const QStringList code128 = SymbologyRows(barcode);
    ZanBarcodeWidget fresh128;
    EXPECT_TRUE(code128.contains(QStringLiteral("symbologyName")));
    EXPECT_TRUE(code128.contains(QStringLiteral("Symbology.XDimension")));
    EXPECT_FALSE(code128.contains(QStringLiteral("Symbology.StartChar")));

    // A setting of the symbology that goes does not outlive it: the new one starts from
    // its own defaults.
    FForm->cursor()->setWidgetProperty(barcode, QStringLiteral("Symbology.XDimension"), 13.0);
    ASSERT_EQ(barcode->symbologySetting(QStringLiteral("XDimension")).toDouble(), 13.0);
    Choose(barcode, QStringLiteral("Codabar"));
    EXPECT_EQ(barcode->symbologyName(), QStringLiteral("Codabar"));
    ZanBarcodeWidget fresh;
    fresh.setSymbologyName(QStringLiteral("Codabar"));
    EXPECT_NE(fresh.symbologySetting(QStringLiteral("XDimension")).toDouble(), 13.0);
    EXPECT_EQ(barcode->symbologySetting(QStringLiteral("XDimension")),
              fresh.symbologySetting(QStringLiteral("XDimension")));
    EXPECT_EQ(Sheet(barcode)->property(Sheet(barcode)->indexOf(QStringLiteral("Symbology.XDimension"))).toDouble(),
              fresh.symbologySetting(QStringLiteral("XDimension")).toDouble());
    const QStringList codabar = SymbologyRows(barcode);
    EXPECT_TRUE(codabar.contains(QStringLiteral("Symbology.StartChar")));
    EXPECT_TRUE(codabar.contains(QStringLiteral("Symbology.StopChar")));
    EXPECT_EQ(NameChoice(barcode).metaEnum.valueToKey(NameChoice(barcode).value), QStringLiteral("Codabar"));
    EXPECT_TRUE(FForm->isDirty());

    // A setting edited in the group reaches the symbology.
    QDesignerPropertySheetExtension* sheet = Sheet(barcode);
    FForm->cursor()->setWidgetProperty(barcode, QStringLiteral("Symbology.StartChar"), QStringLiteral("C"));
    EXPECT_EQ(barcode->symbologySetting(QStringLiteral("StartChar")).toString(), QStringLiteral("C"));

    Choose(barcode, QStringLiteral("Code 128"));
    EXPECT_EQ(SymbologyRows(barcode), code128);

    // Undone step by step, each step bringing back what was there before it: Codabar
    // with the start character it had, the start character as it was, Code 128 with the
    // module width it had.
    FForm->commandHistory()->undo();
    EXPECT_EQ(barcode->symbologyName(), QStringLiteral("Codabar"));
    EXPECT_TRUE(SymbologyRows(barcode).contains(QStringLiteral("Symbology.StopChar")));
    EXPECT_EQ(barcode->symbologySetting(QStringLiteral("StartChar")).toString(), QStringLiteral("C"));
    EXPECT_EQ(sheet->property(sheet->indexOf(QStringLiteral("Symbology.StartChar")))
                  .value<qdesigner_internal::PropertySheetStringValue>()
                  .value(),
              QStringLiteral("C"));
    FForm->commandHistory()->undo();
    EXPECT_EQ(barcode->symbologySetting(QStringLiteral("StartChar")).toString(), QStringLiteral("A"));
    FForm->commandHistory()->undo();
    EXPECT_EQ(barcode->symbologyName(), QStringLiteral("Code 128"));
    EXPECT_EQ(SymbologyRows(barcode), code128);
    EXPECT_EQ(barcode->symbologySetting(QStringLiteral("XDimension")).toDouble(), 13.0);
    FForm->commandHistory()->undo();
    EXPECT_EQ(barcode->symbologySetting(QStringLiteral("XDimension")),
              fresh128.symbologySetting(QStringLiteral("XDimension")));
    EXPECT_GE(sheet->indexOf(QStringLiteral("caption")), 0);

    // Redone, Codabar comes back with the start character C once more.
    for (int step = 0; step < 3; ++step) FForm->commandHistory()->redo();
    EXPECT_EQ(barcode->symbologyName(), QStringLiteral("Codabar"));
    EXPECT_EQ(barcode->symbologySetting(QStringLiteral("StartChar")).toString(), QStringLiteral("C"));
}

TEST_F(ZanDesignerFormEditorTest, SavedFormStoresThePlainNameAndLoadsBack) {
    ZanBarcodeWidget* barcode = DropBarcode();
    ASSERT_NE(barcode, nullptr);
    barcode->setObjectName(QStringLiteral("barcode"));
    Choose(barcode, QStringLiteral("Codabar"));
    FForm->cursor()->setWidgetProperty(barcode, QStringLiteral("Symbology.StopChar"), QStringLiteral("D"));
    FForm->cursor()->setWidgetProperty(barcode, QStringLiteral("caption"), QStringLiteral("12345"));
    QCoreApplication::processEvents();  // the caption is checked once the events of the moment are done

    const QString saved = FForm->contents();
    EXPECT_TRUE(
        saved.contains(QStringLiteral("<property name=\"symbologyName\">\n"
                                      "    <string notr=\"true\">Codabar</string>")))
        << saved.toStdString();
    EXPECT_FALSE(saved.contains(QStringLiteral("<enum>Codabar"))) << saved.toStdString();
    // The caption and the settings are data too: no string of the form is for translators.
    EXPECT_TRUE(saved.contains(QStringLiteral("<string notr=\"true\">12345</string>"))) << saved.toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral("<string notr=\"true\">D</string>"))) << saved.toStdString();
    EXPECT_FALSE(saved.contains(QStringLiteral("<string>"))) << saved.toStdString();

    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QStringLiteral(ZAN_DESIGNER_PLUGIN_DIR));
    QByteArray bytes = saved.toUtf8();
    QBuffer file(&bytes);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::unique_ptr<QWidget> form(loader.load(&file));
    ASSERT_NE(form, nullptr) << loader.errorString().toStdString();
    auto* loaded = form->findChild<ZanBarcodeWidget*>(QStringLiteral("barcode"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->symbologyName(), QStringLiteral("Codabar"));
    EXPECT_EQ(loaded->symbologySetting(QStringLiteral("StopChar")).toString(), QStringLiteral("D"));
    EXPECT_EQ(loaded->caption(), QStringLiteral("12345"));

    // Opened again in the form editor, the drop-down stands at the stored name.
    std::unique_ptr<QDesignerFormWindowInterface> reopened(Core->formWindowManager()->createFormWindow(nullptr));
    ASSERT_TRUE(reopened->setContents(saved));
    auto* again = reopened->mainContainer()->findChild<ZanBarcodeWidget*>(QStringLiteral("barcode"));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(NameChoice(again).metaEnum.valueToKey(NameChoice(again).value), QStringLiteral("Codabar"));
    EXPECT_TRUE(SymbologyRows(again).contains(QStringLiteral("Symbology.StopChar")));
    EXPECT_EQ(again->symbologySetting(QStringLiteral("StopChar")).toString(), QStringLiteral("D"));
}

}  // namespace
