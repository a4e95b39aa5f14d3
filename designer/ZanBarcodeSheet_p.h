// The plugin's own classes behind RegisterBarcodeSheet.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>
#include <QVariant>

#include <zanbarcode/platform/DesignIntf.h>

class ZanBarcodeWidget;

// The library's designer editors for one widget's control: SymbologyName (a value
// list), Caption (a plain string) and Symbology (sub-properties). Both Designer front
// ends, the property sheet and the task menu, work through it.
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
    ZanBarcodeWidget& FWidget;
    std::shared_ptr<zan::platform::TFormDesigner> FDesigner;
    std::unique_ptr<zan::platform::TPropertyEditor> FName;
    std::unique_ptr<zan::platform::TPropertyEditor> FCaption;
    std::unique_ptr<zan::platform::TPropertyEditor> FSymbology;
};

#ifdef ZAN_DESIGNER_PRIVATE
#include <QtDesigner/private/qdesigner_propertysheet_p.h>

// The widget's property sheet: symbologyName (saved untranslatable) and the current
// symbology's settings in the group "Symbology", Caption as a plain string.
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
    void RemoveSettings();
    void ShowSettings();
    bool IsSetting(int index) const;

    ZanBarcodeWidget* FWidget;
    TBarcodeDesign FDesign;
    int FStoredName;
    int FCaption;
};
#else
#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QExtensionFactory>

class QAction;

// "Choose symbology..." on the widget's context menu in the form.
class ZanBarcodeTaskMenu : public QObject, public QDesignerTaskMenuExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerTaskMenuExtension)

public:
    ZanBarcodeTaskMenu(ZanBarcodeWidget* widget, QObject* parent);
    QAction* preferredEditAction() const override { return FChoose; }
    QList<QAction*> taskActions() const override { return {FChoose}; }

private:
    void Choose();

    ZanBarcodeWidget* FWidget;
    TBarcodeDesign FDesign;
    QAction* FChoose;
};

class ZanBarcodeTaskMenuFactory : public QExtensionFactory {
    Q_OBJECT

public:
    using QExtensionFactory::QExtensionFactory;

protected:
    QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;
};
#endif
