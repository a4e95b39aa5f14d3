#include "ZanBarcodeSheet.h"

#include <memory>
#include <string>
#include <vector>

#include <QTimer>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerPropertyEditorInterface>
#include <QtDesigner/QExtensionManager>

#include <zanbarcode/controls/ZanBarcodeCtrls.h>
#include <zanbarcode/platform/DesignIntf.h>
#include <zanbarcode/qt/ZanBarcodeWidget.h>
#include <zanbarcode/qt/ZanQtText.h>

#include "ZanBarcodeSheet_p.h"

namespace platform = zan::platform;

namespace {

// A setting's text as the value Designer edits: a check box, a number or a string.
QVariant SettingValue(platform::TPropertyEditor& editor) {
    const std::string text = editor.GetValue();
    switch (editor.GetPropInfo().Kind) {
        case platform::TTypeKind::tkBoolean: return platform::TextToBoolean(text);
        case platform::TTypeKind::tkFloat: return platform::TextToFloat(text);
        case platform::TTypeKind::tkInteger: return static_cast<qlonglong>(platform::TextToInteger(text));
        default: return zan::qt::ToQString(text);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TBarcodeDesign

TBarcodeDesign::TBarcodeDesign(ZanBarcodeWidget& widget)
    : FWidget(widget), FDesigner(std::make_shared<platform::TFormDesigner>(widget.control())) {
    platform::TDesignerSelectionList selection;
    selection.Add(&widget.control());
    platform::GetComponentProperties(selection, platform::tkProperties, FDesigner,
                                     [this](std::unique_ptr<platform::TPropertyEditor> editor) {
                                         if (editor->GetName() == "SymbologyName") FName = std::move(editor);
                                         else if (editor->GetName() == "Caption") FCaption = std::move(editor);
                                         else if (editor->GetName() == "Symbology") FSymbology = std::move(editor);
                                     });
    // The editors were bound by zan::Register; a widget without them is a plugin fault.
    Q_ASSERT(FName && FCaption && FSymbology);
    FDesigner->SelectComponent(&widget.control());
}

QStringList TBarcodeDesign::Names() const {
    std::vector<std::string> values;
    FName->GetValues([&values](const std::string& value) { values.push_back(value); });
    if ((FName->GetAttributes() & platform::paSortList) != 0) std::sort(values.begin(), values.end());
    QStringList names;
    for (const std::string& value : values) names << zan::qt::ToQString(value);
    return names;
}

QString TBarcodeDesign::Name() const { return zan::qt::ToQString(FName->GetValue()); }

void TBarcodeDesign::ChooseName(const QString& name, const std::function<void()>& settingsGone) {
    settingsGone();
    FName->SetValue(name.toStdString());
}

std::vector<std::pair<QString, QVariant>> TBarcodeDesign::Settings() const {
    std::vector<std::pair<QString, QVariant>> settings;
    if ((FSymbology->GetAttributes() & platform::paSubProperties) == 0) return settings;
    FSymbology->GetProperties([&settings](std::unique_ptr<platform::TPropertyEditor> editor) {
        settings.emplace_back(ZanBarcodeWidget::SettingPrefix + zan::qt::ToQString(editor->GetName()),
                              SettingValue(*editor));
    });
    return settings;
}

void TBarcodeDesign::SetCaption(const QString& caption) {
    const std::optional<std::string> text = zan::qt::FromQString(caption);
    if (text) FCaption->SetValue(*text);
}

void TBarcodeDesign::OnReselected(std::function<void()> handler) {
    FDesigner->SetOnSelectionChanged([this, handler = std::move(handler)] {
        // Part of a reselection: the rows follow once the control is selected again.
        if (FDesigner->GetSelection().GetCount() > 0) handler();
    });
}

// ---------------------------------------------------------------------------------------
// Designer front ends

namespace {

// Designer's property editor shows what the sheet now holds, and the form is to be saved.
void Refresh(QDesignerFormEditorInterface* core, ZanBarcodeWidget* widget) {
    if (QDesignerFormWindowInterface* form = QDesignerFormWindowInterface::findFormWindow(widget))
        form->setDirty(true);
    if (core != nullptr && core->propertyEditor() != nullptr && core->propertyEditor()->object() == widget)
        core->propertyEditor()->setObject(widget);
}

}  // namespace

#ifdef ZAN_DESIGNER_PRIVATE
#include <QtDesigner/private/qdesigner_utils_p.h>

using qdesigner_internal::PropertySheetStringValue;

ZanBarcodeSheet::ZanBarcodeSheet(ZanBarcodeWidget* widget, QObject* parent)
    : QDesignerPropertySheet(widget, parent), FWidget(widget), FDesign(*widget) {
    FStoredName = indexOf(QStringLiteral("symbologyName"));
    FCaption = indexOf(QStringLiteral("caption"));
    setPropertyGroup(FStoredName, QString::fromLatin1(GroupName));
    FDesign.OnReselected([this] {
        ShowSettings();
        Refresh(core(), FWidget);
    });
    ShowSettings();
}

bool ZanBarcodeSheet::IsSetting(int index) const {
    return isDynamicProperty(index) && propertyName(index).startsWith(QLatin1String(ZanBarcodeWidget::SettingPrefix));
}

QVariant ZanBarcodeSheet::property(int index) const {
    // Names and strings of settings are data, never translated.
    if (index == FStoredName) return QVariant::fromValue(PropertySheetStringValue(FWidget->symbologyName(), false));
    if (index == FCaption) return FWidget->caption();
    const QVariant value = QDesignerPropertySheet::property(index);
    if (IsSetting(index) && value.typeId() == QMetaType::QString)
        return QVariant::fromValue(PropertySheetStringValue(value.toString(), false));
    return value;
}

void ZanBarcodeSheet::setProperty(int index, const QVariant& value) {
    if (index == FStoredName) {
        // Typed in or read from a form file, the name goes through the library's editor.
        const QString name = value.canConvert<PropertySheetStringValue>() ? value.value<PropertySheetStringValue>().value()
                                                                           : value.toString();
        if (name != FDesign.Name()) {
            try {
                FDesign.ChooseName(name, [this] { RemoveSettings(); });
            } catch (const std::exception& e) {
                qWarning("ZanBarcodeWidget: %s", e.what());
                ShowSettings();
            }
        }
        setChanged(FStoredName, true);
        return;
    }
    if (index == FCaption) {
        const QString text = value.canConvert<PropertySheetStringValue>() ? value.value<PropertySheetStringValue>().value()
                                                                           : value.toString();
        // Checked once the events of the moment are done: a form file sets the caption
        // before the settings that it may need.
        QTimer::singleShot(0, FWidget, [this, text] {
            try {
                FDesign.SetCaption(text);
            } catch (const std::exception& e) {
                qWarning("ZanBarcodeWidget: %s", e.what());
            }
            Refresh(core(), FWidget);
        });
        setChanged(FCaption, true);
        return;
    }
    if (IsSetting(index) && value.canConvert<PropertySheetStringValue>()) {
        QDesignerPropertySheet::setProperty(index, value.value<PropertySheetStringValue>().value());
        return;
    }
    QDesignerPropertySheet::setProperty(index, value);
}

bool ZanBarcodeSheet::isChanged(int index) const {
    if (index == FStoredName) return true;  // always stored, as it creates the symbology
    return QDesignerPropertySheet::isChanged(index);
}

bool ZanBarcodeSheet::reset(int index) {
    if (index == FStoredName) return false;
    return QDesignerPropertySheet::reset(index);
}

int ZanBarcodeSheet::addDynamicProperty(const QString& name, const QVariant& value) {
    const int shown = indexOf(name);
    if (shown < 0 || !IsSetting(shown) || !isVisible(shown)) return QDesignerPropertySheet::addDynamicProperty(name, value);
    setProperty(shown, value);
    return shown;
}

void ZanBarcodeSheet::RemoveSettings() {
    for (int index = count() - 1; index >= 0; --index)
        if (IsSetting(index) && isVisible(index)) removeDynamicProperty(index);
}

void ZanBarcodeSheet::ShowSettings() {
    RemoveSettings();
    for (const auto& [name, value] : FDesign.Settings()) {
        const int index = QDesignerPropertySheet::addDynamicProperty(name, value);
        if (index >= 0) setPropertyGroup(index, QString::fromLatin1(GroupName));
    }
}

void RegisterBarcodeSheet(QExtensionManager* manager) {
    QDesignerPropertySheetFactory<ZanBarcodeWidget, ZanBarcodeSheet>::registerExtension(manager);
}

#else
#include <QAction>
#include <QInputDialog>
#include <QtDesigner/QDesignerDynamicPropertySheetExtension>
#include <QtDesigner/QDesignerPropertySheetExtension>

ZanBarcodeTaskMenu::ZanBarcodeTaskMenu(ZanBarcodeWidget* widget, QObject* parent)
    : QObject(parent), FWidget(widget), FDesign(*widget), FChoose(new QAction(tr("Choose symbology..."), this)) {
    connect(FChoose, &QAction::triggered, this, &ZanBarcodeTaskMenu::Choose);
}

void ZanBarcodeTaskMenu::Choose() {
    QDesignerFormWindowInterface* form = QDesignerFormWindowInterface::findFormWindow(FWidget);
    QDesignerFormEditorInterface* core = form != nullptr ? form->core() : nullptr;
    if (core == nullptr) return;
    const QStringList names = FDesign.Names();
    bool chosen = false;
    const QString name = QInputDialog::getItem(FWidget, tr("Symbology"), tr("Symbology:"), names,
                                               static_cast<int>(names.indexOf(FDesign.Name())), false, &chosen);
    if (!chosen) return;
    auto* dynamic = qt_extension<QDesignerDynamicPropertySheetExtension*>(core->extensionManager(), FWidget);
    auto* sheet = qt_extension<QDesignerPropertySheetExtension*>(core->extensionManager(), FWidget);
    FDesign.OnReselected([&] {
        for (const auto& [setting, value] : FDesign.Settings()) dynamic->addDynamicProperty(setting, value);
        Refresh(core, FWidget);
    });
    try {
        FDesign.ChooseName(name, [&] {
            for (int index = sheet->count() - 1; index >= 0; --index)
                if (dynamic->isDynamicProperty(index) &&
                    sheet->propertyName(index).startsWith(QLatin1String(ZanBarcodeWidget::SettingPrefix)))
                    dynamic->removeDynamicProperty(index);
        });
    } catch (const std::exception& e) {
        qWarning("ZanBarcodeWidget: %s", e.what());
    }
    sheet->setChanged(sheet->indexOf(QStringLiteral("symbologyName")), true);
}

QObject* ZanBarcodeTaskMenuFactory::createExtension(QObject* object, const QString& iid, QObject* parent) const {
    auto* widget = qobject_cast<ZanBarcodeWidget*>(object);
    if (widget == nullptr || iid != Q_TYPEID(QDesignerTaskMenuExtension)) return nullptr;
    return new ZanBarcodeTaskMenu(widget, parent);
}

void RegisterBarcodeSheet(QExtensionManager* manager) {
    manager->registerExtensions(new ZanBarcodeTaskMenuFactory(manager), Q_TYPEID(QDesignerTaskMenuExtension));
}
#endif
