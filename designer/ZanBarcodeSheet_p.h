// The plugin's own classes behind RegisterBarcodeSheet.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <QtDesigner/private/qdesigner_propertysheet_p.h>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtDesigner/QDesignerExtraInfoExtension>
#include <QtDesigner/QExtensionFactory>

#include <zanbarcode/platform/DesignIntf.h>

class ZanBarcodeWidget;

// The library's designer editors for one widget's control: SymbologyName (a value
// list), Caption (a plain string) and Symbology (sub-properties). The property sheet
// works through it.
class TBarcodeDesign {
public:
    explicit TBarcodeDesign(ZanBarcodeWidget& widget);

    // The names the SymbologyName editor offers, sorted when it asks for that.
    QStringList Names() const;
    QString Name() const;
    // SettingsGone runs first, to take away the settings of the symbology that goes, so
    // that the new one starts from its class's defaults; the editor then has the
    // designer select the control again, which calls the OnReselected handler.
    void ChooseName(const QString& name, const std::function<void()>& settingsGone);
    // The current symbology's settings as the widget's dynamic properties carry them.
    std::vector<std::pair<QString, QVariant>> Settings() const;
    void SetCaption(const QString& caption);
    void OnReselected(std::function<void()> handler);

private:
    std::shared_ptr<zan::platform::TFormDesigner> FDesigner;
    std::unique_ptr<zan::platform::TPropertyEditor> FName;
    std::unique_ptr<zan::platform::TPropertyEditor> FCaption;
    std::unique_ptr<zan::platform::TPropertyEditor> FSymbology;
};

// The widget's property sheet: symbologyName (a drop-down of the registered names) and
// the current symbology's settings in the group "Symbology", Caption as a plain string.
class ZanBarcodeSheet : public QDesignerPropertySheet {
    Q_OBJECT

public:
    ZanBarcodeSheet(ZanBarcodeWidget* widget, QObject* parent);

    QVariant property(int index) const override;
    void setProperty(int index, const QVariant& value) override;
    bool isChanged(int index) const override;
    bool reset(int index) override;
    // A setting that the sheet shows already (a form file's, read after the symbology
    // name brought in the symbology's defaults) takes the value.
    int addDynamicProperty(const QString& name, const QVariant& value) override;

    static constexpr const char* GroupName = "Symbology";

private:
    // The name that a value from the drop-down, a form file or an undo step stands for.
    QString ChosenName(const QVariant& value) const;
    void RemoveSettings();
    // A symbology chosen again takes the settings it had when another was chosen in its
    // place, so that undoing a change of symbology brings back what was there before.
    void RestoreLeftSettings();
    void ShowSettings();
    bool IsSetting(int index) const;

    ZanBarcodeWidget* FWidget;
    TBarcodeDesign FDesign;
    std::map<QString, std::vector<std::pair<QString, QVariant>>> FLeftSettings;  // by symbology name
    int FStoredName;
    int FCaption;
};

// Designer saves a drop-down's value as an enumerator, which uic would write as an
// identifier, and a plain string as translatable: the symbology name and the caption go
// into the form as untranslatable strings instead.
class ZanBarcodeExtraInfo : public QObject, public QDesignerExtraInfoExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerExtraInfoExtension)

public:
    ZanBarcodeExtraInfo(ZanBarcodeWidget* widget, QDesignerFormEditorInterface* core, QObject* parent);

    QDesignerFormEditorInterface* core() const override { return FCore; }
    QWidget* widget() const override;
    bool saveUiExtraInfo(DomUI*) override { return false; }
    bool loadUiExtraInfo(DomUI*) override { return false; }
    bool saveWidgetExtraInfo(DomWidget* ui_widget) override;
    // A form's string needs nothing: the sheet reads it as it is.
    bool loadWidgetExtraInfo(DomWidget*) override { return false; }

private:
    ZanBarcodeWidget* FWidget;
    QDesignerFormEditorInterface* FCore;
};

class ZanBarcodeExtraInfoFactory : public QExtensionFactory {
    Q_OBJECT

public:
    ZanBarcodeExtraInfoFactory(QDesignerFormEditorInterface* core, QExtensionManager* manager)
        : QExtensionFactory(manager), FCore(core) {}

protected:
    QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;

private:
    QDesignerFormEditorInterface* FCore;
};
