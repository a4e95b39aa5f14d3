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

#include <QtDesigner/private/qdesigner_utils_p.h>
#include <QtDesigner/private/ui4_p.h>

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
    : FDesigner(std::make_shared<platform::TFormDesigner>(widget.control())) {
    platform::TDesignerSelectionList selection;
    selection.Add(&widget.control());
    platform::GetComponentProperties(selection, platform::tkProperties, FDesigner,
                                     [this](std::unique_ptr<platform::TPropertyEditor> editor) {
                                         if (editor->GetName() == "SymbologyName")
                                             FName = std::move(editor);
                                         else if (editor->GetName() == "Caption")
                                             FCaption = std::move(editor);
                                         else if (editor->GetName() == "Symbology")
                                             FSymbology = std::move(editor);
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
    if (QDesignerFormWindowInterface* form = QDesignerFormWindowInterface::findFormWindow(widget)) form->setDirty(true);
    if (core != nullptr && core->propertyEditor() != nullptr && core->propertyEditor()->object() == widget)
        core->propertyEditor()->setObject(widget);
}

}  // namespace

using qdesigner_internal::DesignerMetaEnum;
using qdesigner_internal::PropertySheetEnumValue;
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
    if (index == FStoredName) {
        // A drop-down of the names, each standing for its place in the list.
        DesignerMetaEnum names(QStringLiteral("SymbologyName"), QString(), QString());
        const QStringList list = FDesign.Names();
        for (int position = 0; position < list.size(); ++position) names.addKey(position, list[position]);
        return QVariant::fromValue(PropertySheetEnumValue(static_cast<int>(list.indexOf(FDesign.Name(), 0)), names));
    }
    if (index == FCaption) return FWidget->caption();
    const QVariant value = QDesignerPropertySheet::property(index);
    // Strings of settings are data, never translated.
    if (IsSetting(index) && value.typeId() == QMetaType::QString)
        return QVariant::fromValue(PropertySheetStringValue(value.toString(), false));
    return value;
}

void ZanBarcodeSheet::setProperty(int index, const QVariant& value) {
    if (index == FStoredName) {
        // Chosen or read from a form file, the name goes through the library's editor.
        const QString name = ChosenName(value);
        if (name != FDesign.Name()) {
            FLeftSettings[FDesign.Name()] = FDesign.Settings();
            try {
                FDesign.ChooseName(name, [this] { RemoveSettings(); });
                RestoreLeftSettings();
            } catch (const std::exception& e) {
                qWarning("ZanBarcodeWidget: %s", e.what());
                ShowSettings();
            }
        }
        setChanged(FStoredName, true);
        return;
    }
    if (index == FCaption) {
        const QString text = value.canConvert<PropertySheetStringValue>()
                                 ? value.value<PropertySheetStringValue>().value()
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
    if (shown < 0 || !IsSetting(shown) || !isVisible(shown))
        return QDesignerPropertySheet::addDynamicProperty(name, value);
    setProperty(shown, value);
    return shown;
}

QString ZanBarcodeSheet::ChosenName(const QVariant& value) const {
    if (value.canConvert<PropertySheetStringValue>()) return value.value<PropertySheetStringValue>().value();
    if (value.typeId() == QMetaType::QString) return value.toString();
    // The drop-down and Designer's undo stack hand over a place in the list.
    bool isNumber = false;
    const int position = qdesigner_internal::Utils::valueOf(value, &isNumber);
    const QStringList names = FDesign.Names();
    return isNumber && position >= 0 && position < names.size() ? names[position] : QString();
}

void ZanBarcodeSheet::RemoveSettings() {
    for (int index = count() - 1; index >= 0; --index) {
        if (!IsSetting(index) || !isVisible(index)) continue;
        // Designer only hides a removed dynamic property: the widget would keep the value
        // and hand it to the next symbology.
        const QByteArray name = propertyName(index).toUtf8();
        removeDynamicProperty(index);
        FWidget->setProperty(name.constData(), QVariant());
    }
}

void ZanBarcodeSheet::RestoreLeftSettings() {
    const auto left = FLeftSettings.find(FDesign.Name());
    if (left == FLeftSettings.end()) return;
    for (const auto& [name, value] : left->second) {
        const int index = indexOf(name);
        if (index >= 0 && IsSetting(index)) QDesignerPropertySheet::setProperty(index, value);
    }
    // The rows show what the symbology took.
    ShowSettings();
    Refresh(core(), FWidget);
}

void ZanBarcodeSheet::ShowSettings() {
    RemoveSettings();
    for (const auto& [name, value] : FDesign.Settings()) {
        const int index = QDesignerPropertySheet::addDynamicProperty(name, value);
        if (index < 0) continue;
        // A row shown before comes back without a value on the widget.
        QDesignerPropertySheet::setProperty(index, value);
        setPropertyGroup(index, QString::fromLatin1(GroupName));
    }
}

ZanBarcodeExtraInfo::ZanBarcodeExtraInfo(ZanBarcodeWidget* widget, QDesignerFormEditorInterface* core, QObject* parent)
    : QObject(parent), FWidget(widget), FCore(core) {}

QWidget* ZanBarcodeExtraInfo::widget() const { return FWidget; }

bool ZanBarcodeExtraInfo::saveWidgetExtraInfo(DomWidget* ui_widget) {
    for (DomProperty* property : ui_widget->elementProperty()) {
        if (property->attributeName() == QLatin1String("symbologyName")) {
            auto* name = new DomString;
            name->setText(FWidget->symbologyName());
            property->setElementString(name);
        } else if (property->attributeName() != QLatin1String("caption") || property->kind() != DomProperty::String) {
            continue;
        }
        // Data, never translated.
        property->elementString()->setAttributeNotr(QStringLiteral("true"));
    }
    return true;
}

QObject* ZanBarcodeExtraInfoFactory::createExtension(QObject* object, const QString& iid, QObject* parent) const {
    auto* widget = qobject_cast<ZanBarcodeWidget*>(object);
    if (widget == nullptr || iid != Q_TYPEID(QDesignerExtraInfoExtension)) return nullptr;
    return new ZanBarcodeExtraInfo(widget, FCore, parent);
}

void RegisterBarcodeSheet(QDesignerFormEditorInterface* core) {
    QExtensionManager* manager = core->extensionManager();
    QDesignerPropertySheetFactory<ZanBarcodeWidget, ZanBarcodeSheet>::registerExtension(manager);
    manager->registerExtensions(new ZanBarcodeExtraInfoFactory(core, manager), Q_TYPEID(QDesignerExtraInfoExtension));
}
