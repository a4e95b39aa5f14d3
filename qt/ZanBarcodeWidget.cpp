#include <zanbarcode/qt/ZanBarcodeWidget.h>

#include <exception>

#include <QContextMenuEvent>
#include <QDynamicPropertyChangeEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QWheelEvent>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/controls/ZanBarcodeCtrls.h>
#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/platform/Clipboard.h>
#include <zanbarcode/platform/Metafile.h>
#include <zanbarcode/qt/ZanQtClipboard.h>
#include <zanbarcode/qt/ZanQtText.h>
#include <zanbarcode/qt/ZanQtWindows.h>

using zan::TColor;
using zan::qt::FromQString;
using zan::qt::ToQString;
namespace platform = zan::platform;

namespace {

QColor ToQColor(TColor color) {
    const TColor rgb = platform::ColorToRGB(color);
    return QColor(platform::RedOf(rgb), platform::GreenOf(rgb), platform::BlueOf(rgb));
}

TColor FromQColor(const QColor& color) {
    return platform::RgbColor(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                              static_cast<std::uint8_t>(color.blue()));
}

// A setting's value as the text its property reads.
std::string SettingText(const platform::TPropInfo& info, const QVariant& value) {
    switch (info.Kind) {
        case platform::TTypeKind::tkBoolean:
            return platform::BooleanToText(value.typeId() == QMetaType::QString
                                               ? platform::TextToBoolean(value.toString().toStdString())
                                               : value.toBool());
        case platform::TTypeKind::tkFloat:
            if (value.typeId() != QMetaType::QString) return platform::FloatToText(value.toDouble());
            break;
        case platform::TTypeKind::tkInteger:
            if (value.typeId() != QMetaType::QString) return platform::IntegerToText(value.toLongLong());
            break;
        default: break;
    }
    const std::optional<std::string> text = FromQString(value.toString());
    if (!text) throw platform::EConvertError("Invalid property value: %s", {value.toString().toStdString()});
    return *text;
}

}  // namespace

ZanBarcodeWidget::ZanBarcodeWidget(QWidget* parent) : QWidget(parent) {
    zan::RegisterBarcodeControls();
    zan::qt::TQtWindowSystem& windows = zan::qt::TQtWindowSystem::Install();
    FControl = std::make_unique<zan::TZanBarcode>(nullptr);
    FControl->SetOnVisualChange([this](platform::TPersistent*) { VisualChanged(); });
    windows.Host(*FControl, *this);
    FControl->HandleNeeded();
    FSymbology = FControl->GetSymbology();
    UpdateSizePolicy();
}

ZanBarcodeWidget::~ZanBarcodeWidget() {
    FControl->SetOnVisualChange(nullptr);
    zan::qt::TQtWindowSystem::Install().Unhost(*FControl);
    // The control's window is this widget: the control goes while the widget is whole.
    FControl.reset();
}

template <class Action>
bool ZanBarcodeWidget::Guarded(Action&& action) const {
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        emit const_cast<ZanBarcodeWidget*>(this)->errorOccurred(QString::fromStdString(e.what()));
        return false;
    }
}

void ZanBarcodeWidget::VisualChanged() {
    // A new symbology object starts from its class's defaults: the settings the widget
    // carries apply to it now. Notifications raised from inside this one are dropped, so
    // the control is brought up to date in one step afterwards.
    if (FControl->GetSymbology() != FSymbology && !FApplying) {
        FSymbology = FControl->GetSymbology();
        ApplySettings();
        RetryPendingCaption();
        FControl->UpdateControl();
    }
    emit visualChanged();
}

// ---------------------------------------------------------------------------------------
// Properties

QString ZanBarcodeWidget::symbologyName() const { return ToQString(FControl->GetSymbologyName()); }

bool ZanBarcodeWidget::setSymbologyName(const QString& name) {
    return Guarded([&] {
        const std::optional<std::string> text = FromQString(name);
        if (!text) throw zan::ESymbologyError("%s is not a valid symbology name.", {name.toStdString()});
        FControl->SetSymbologyName(*text);
    });
}

QString ZanBarcodeWidget::caption() const { return ToQString(FControl->GetRenderer().GetCaption()); }

bool ZanBarcodeWidget::setCaption(const QString& caption) {
    const std::optional<std::string> text = FromQString(caption);
    FPendingCaption.reset();
    return Guarded([&] {
        if (!text)
            throw zan::EInvalidText("Invalid Caption: %s holds a character beyond Windows-1252",
                                    {caption.toStdString()});
        try {
            FControl->SetText(*text);
        } catch (const zan::EInvalidText&) {
            // The control stored the text before its symbology refused it; it shows the
            // caption that stands, and the refused one waits for settings that allow it.
            FPendingCaption = *text;
            FControl->SetText(FControl->GetRenderer().GetCaption());
            throw;
        }
    });
}

void ZanBarcodeWidget::RetryPendingCaption() {
    if (!FPendingCaption) return;
    try {
        FControl->SetText(*FPendingCaption);
        FPendingCaption.reset();
    } catch (const zan::EInvalidText&) {
        FControl->SetText(FControl->GetRenderer().GetCaption());
    }
}

ZanBarcodeWidget::BarcodeAlignment ZanBarcodeWidget::alignment() const {
    return static_cast<BarcodeAlignment>(FControl->GetAlignment());
}

void ZanBarcodeWidget::setAlignment(BarcodeAlignment value) {
    Guarded([&] { FControl->SetAlignment(static_cast<platform::TAlignment>(value)); });
}

ZanBarcodeWidget::Orientation ZanBarcodeWidget::orientation() const {
    return static_cast<Orientation>(FControl->GetOrientation());
}

void ZanBarcodeWidget::setOrientation(Orientation value) {
    Guarded([&] {
        FControl->SetOrientation(static_cast<zan::TZanBarcodeOrientation>(value));
        UpdateSizePolicy();
    });
}

QColor ZanBarcodeWidget::barColor() const { return ToQColor(FControl->GetBarColor()); }

void ZanBarcodeWidget::setBarColor(const QColor& value) {
    Guarded([&] { FControl->SetBarColor(FromQColor(value)); });
}

QColor ZanBarcodeWidget::spaceColor() const { return ToQColor(FControl->GetSpaceColor()); }

void ZanBarcodeWidget::setSpaceColor(const QColor& value) {
    Guarded([&] { FControl->SetSpaceColor(FromQColor(value)); });
}

QColor ZanBarcodeWidget::backgroundColor() const { return ToQColor(FControl->GetColor()); }

void ZanBarcodeWidget::setBackgroundColor(const QColor& value) {
    Guarded([&] { FControl->SetColor(FromQColor(value)); });
}

int ZanBarcodeWidget::marginLeft() const { return FControl->GetMargins().GetLeft(); }
void ZanBarcodeWidget::setMarginLeft(int value) {
    Guarded([&] { FControl->GetMargins().SetLeft(value); });
}
int ZanBarcodeWidget::marginTop() const { return FControl->GetMargins().GetTop(); }
void ZanBarcodeWidget::setMarginTop(int value) {
    Guarded([&] { FControl->GetMargins().SetTop(value); });
}
int ZanBarcodeWidget::marginRight() const { return FControl->GetMargins().GetRight(); }
void ZanBarcodeWidget::setMarginRight(int value) {
    Guarded([&] { FControl->GetMargins().SetRight(value); });
}
int ZanBarcodeWidget::marginBottom() const { return FControl->GetMargins().GetBottom(); }
void ZanBarcodeWidget::setMarginBottom(int value) {
    Guarded([&] { FControl->GetMargins().SetBottom(value); });
}

QFont ZanBarcodeWidget::captionFont() const {
    const platform::TFont& font = FControl->GetFont();
    QFont result(ToQString(font.GetName()));
    result.setPointSize(std::max(1, font.GetSize()));
    const platform::TFontStyles style = font.GetStyle();
    result.setBold((style & platform::fsBold) != 0);
    result.setItalic((style & platform::fsItalic) != 0);
    result.setUnderline((style & platform::fsUnderline) != 0);
    result.setStrikeOut((style & platform::fsStrikeOut) != 0);
    return result;
}

void ZanBarcodeWidget::setCaptionFont(const QFont& value) {
    Guarded([&] {
        const std::optional<std::string> family = FromQString(value.family());
        if (!family) throw platform::EConvertError("Invalid font name: %s", {value.family().toStdString()});
        platform::TFont font;
        font.SetPixelsPerInch(FControl->GetFont().GetPixelsPerInch());
        font.SetName(*family);
        if (value.pixelSize() > 0)
            font.SetHeight(-value.pixelSize());
        else
            font.SetSize(value.pointSize());
        font.SetStyle(static_cast<platform::TFontStyles>(
            (value.bold() ? platform::fsBold : 0) | (value.italic() ? platform::fsItalic : 0) |
            (value.underline() ? platform::fsUnderline : 0) | (value.strikeOut() ? platform::fsStrikeOut : 0)));
        font.SetColor(FControl->GetFont().GetColor());
        FControl->SetFont(font);
    });
}

bool ZanBarcodeWidget::autoSize() const { return FControl->GetAutoSize(); }

void ZanBarcodeWidget::setAutoSize(bool value) {
    Guarded([&] {
        FControl->SetAutoSize(value);
        UpdateSizePolicy();
    });
}

QString ZanBarcodeWidget::version() const { return ToQString(FControl->GetVersion()); }

void ZanBarcodeWidget::UpdateSizePolicy() {
    // Sized to its code, the widget keeps that size in a layout; otherwise it takes what
    // the layout gives.
    const auto policy = FControl->GetAutoSize() ? QSizePolicy::Fixed : QSizePolicy::Preferred;
    setSizePolicy(policy, policy);
    updateGeometry();
}

QSize ZanBarcodeWidget::sizeHint() const { return QSize(FControl->GetWidth(), FControl->GetHeight()); }

QSize ZanBarcodeWidget::minimumSizeHint() const { return FControl->GetAutoSize() ? sizeHint() : QSize(1, 1); }

// ---------------------------------------------------------------------------------------
// Symbology settings

QStringList ZanBarcodeWidget::symbologySettingNames() const {
    QStringList names;
    if (const zan::TZanBarcodeSymbology* symbology = FControl->GetSymbology())
        for (const platform::TPropInfo& info : symbology->PublishedProperties()) names << ToQString(info.Name);
    return names;
}

QVariant ZanBarcodeWidget::symbologySetting(const QString& name) const {
    const zan::TZanBarcodeSymbology* symbology = FControl->GetSymbology();
    const platform::TPropInfo* info = symbology ? symbology->FindProperty(name.toStdString()) : nullptr;
    if (info == nullptr) return {};
    const std::string text = info->GetValue(*symbology);
    switch (info->Kind) {
        case platform::TTypeKind::tkBoolean: return platform::TextToBoolean(text);
        case platform::TTypeKind::tkFloat: return platform::TextToFloat(text);
        case platform::TTypeKind::tkInteger: return static_cast<qlonglong>(platform::TextToInteger(text));
        default: return ToQString(text);
    }
}

void ZanBarcodeWidget::setSymbologySetting(const QString& name, const QVariant& value) {
    setProperty((SettingPrefix + name).toUtf8().constData(), value);
}

bool ZanBarcodeWidget::ApplySetting(const QString& name, const QVariant& value) {
    zan::TZanBarcodeSymbology* symbology = FControl->GetSymbology();
    const platform::TPropInfo* info = symbology ? symbology->FindProperty(name.toStdString()) : nullptr;
    // A setting of another symbology waits for one that has it.
    if (info == nullptr || !value.isValid()) return true;
    return Guarded([&] { info->SetValue(*symbology, SettingText(*info, value)); });
}

void ZanBarcodeWidget::ApplySettings() {
    FApplying = true;
    for (const QByteArray& property : dynamicPropertyNames())
        if (property.startsWith(SettingPrefix))
            ApplySetting(QString::fromUtf8(property.mid(static_cast<qsizetype>(qstrlen(SettingPrefix)))),
                         this->property(property.constData()));
    FApplying = false;
}

// ---------------------------------------------------------------------------------------
// Update bracket, copies, design mode

void ZanBarcodeWidget::beginUpdate() { FControl->BeginUpdate(); }

void ZanBarcodeWidget::endUpdate() {
    Guarded([&] { FControl->EndUpdate(); });
}

QImage ZanBarcodeWidget::toImage(int pixelsPerInch) const {
    platform::TBitmap bitmap;
    bitmap.SetPixelsPerInch(pixelsPerInch > 0 ? pixelsPerInch : logicalDpiY());
    if (!Guarded([&] { FControl->CopyToBitmap(bitmap); })) return {};
    QImage image(bitmap.GetWidth(), bitmap.GetHeight(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.GetHeight(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.GetWidth(); ++x) {
            const TColor c = bitmap.GetPixel(x, y);
            row[x] = qRgb(platform::RedOf(c), platform::GreenOf(c), platform::BlueOf(c));
        }
    }
    const int dotsPerMeter = qRound(bitmap.GetPixelsPerInch() / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

bool ZanBarcodeWidget::saveToFile(const QString& fileName, int pixelsPerInch) {
    return Guarded([&] {
        const std::string name = fileName.toStdString();
        const QString suffix = QFileInfo(fileName).suffix().toLower();
        if (suffix == QLatin1String("png") || suffix == QLatin1String("bmp")) {
            platform::TBitmap bitmap;
            bitmap.SetPixelsPerInch(pixelsPerInch > 0 ? pixelsPerInch : logicalDpiY());
            FControl->CopyToBitmap(bitmap);
            bitmap.SaveToFile(name);
        } else {
            platform::TMetafile metafile;
            FControl->CopyToMetafile(metafile);
            metafile.SaveToFile(name);
        }
    });
}

void ZanBarcodeWidget::copyToClipboard() {
    zan::qt::InstallQtClipboard();
    platform::TClipboard& clipboard = platform::Clipboard();
    clipboard.Open();
    Guarded([&] {
        clipboard.Assign(*FControl);
        const std::string& text = FControl->GetRenderer().GetCaption();
        clipboard.SetAsHandle(platform::cfText, std::make_shared<const std::vector<std::uint8_t>>(text.begin(), text.end()));
    });
    clipboard.Close();
}

void ZanBarcodeWidget::setDesignMode(bool designing) { FControl->SetDesigning(designing); }

// ---------------------------------------------------------------------------------------
// Events

bool ZanBarcodeWidget::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName();
        if (name.startsWith(SettingPrefix)) {
            ApplySetting(QString::fromUtf8(name.mid(static_cast<qsizetype>(qstrlen(SettingPrefix)))),
                         property(name.constData()));
            RetryPendingCaption();
        }
    } else if (event->type() == QEvent::ScreenChangeInternal) {
        Guarded([&] { static_cast<zan::qt::TQtWindow*>(FControl->GetPeer())->ScreenChanged(); });
    }
    return QWidget::event(event);
}

namespace {

zan::qt::TQtWindow& WindowOf(const zan::TZanBarcode& control) {
    return *static_cast<zan::qt::TQtWindow*>(control.GetPeer());
}

}  // namespace

void ZanBarcodeWidget::paintEvent(QPaintEvent* /*event*/) {
    Guarded([&] { WindowOf(*FControl).Paint(); });
}

void ZanBarcodeWidget::resizeEvent(QResizeEvent* /*event*/) {
    Guarded([&] { WindowOf(*FControl).Resized(); });
}

void ZanBarcodeWidget::mousePressEvent(QMouseEvent* event) {
    Guarded([&] { WindowOf(*FControl).MousePressed(*event); });
}

void ZanBarcodeWidget::mouseReleaseEvent(QMouseEvent* event) {
    Guarded([&] { WindowOf(*FControl).MouseReleased(*event); });
}

void ZanBarcodeWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    Guarded([&] { WindowOf(*FControl).MouseDoubleClicked(*event); });
}

void ZanBarcodeWidget::mouseMoveEvent(QMouseEvent* event) {
    Guarded([&] { WindowOf(*FControl).MouseMoved(*event); });
}

void ZanBarcodeWidget::wheelEvent(QWheelEvent* event) {
    bool taken = false;
    Guarded([&] { taken = WindowOf(*FControl).WheelTurned(*event); });
    event->setAccepted(taken);
}

void ZanBarcodeWidget::contextMenuEvent(QContextMenuEvent* event) {
    Guarded([&] { WindowOf(*FControl).ContextMenuRequested(event->pos().x(), event->pos().y()); });
}
