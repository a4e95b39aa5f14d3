// The barcode control as a Qt widget.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

namespace zan {
class TZanBarcode;
}

// Shows the barcode of its caption through the TZanBarcode control it wraps: it sizes
// itself to the code like the control (while autoSize is on), repaints on every change
// and copies the barcode to the system clipboard. The current symbology's published
// settings travel as dynamic properties named "Symbology.<Name>" (for example
// "Symbology.XDimension"): each is applied when it is set and again after every change
// of symbology, so a form may set them before or after symbologyName. Settings that
// the current symbology lacks wait for one that has them.
//
// Nothing here throws: a value that the barcode refuses leaves the barcode as it was
// and is reported through errorOccurred. A refused caption is kept and tried again
// after every change of symbology or setting until another caption is set, so that a
// form whose caption needs a later setting (a Code 39 caption with a '!' needs
// FullAscii) loads whole.
class ZanBarcodeWidget : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString symbologyName READ symbologyName WRITE setSymbologyName NOTIFY visualChanged)
    Q_PROPERTY(QString caption READ caption WRITE setCaption NOTIFY visualChanged)
    Q_PROPERTY(BarcodeAlignment alignment READ alignment WRITE setAlignment NOTIFY visualChanged)
    Q_PROPERTY(Orientation orientation READ orientation WRITE setOrientation NOTIFY visualChanged)
    Q_PROPERTY(QColor barColor READ barColor WRITE setBarColor NOTIFY visualChanged)
    Q_PROPERTY(QColor spaceColor READ spaceColor WRITE setSpaceColor NOTIFY visualChanged)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor NOTIFY visualChanged)
    Q_PROPERTY(int marginLeft READ marginLeft WRITE setMarginLeft NOTIFY visualChanged)
    Q_PROPERTY(int marginTop READ marginTop WRITE setMarginTop NOTIFY visualChanged)
    Q_PROPERTY(int marginRight READ marginRight WRITE setMarginRight NOTIFY visualChanged)
    Q_PROPERTY(int marginBottom READ marginBottom WRITE setMarginBottom NOTIFY visualChanged)
    Q_PROPERTY(QFont captionFont READ captionFont WRITE setCaptionFont NOTIFY visualChanged)
    Q_PROPERTY(bool autoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(QString version READ version STORED false)

public:
    // The code's placement inside its rectangle.
    enum BarcodeAlignment { LeftJustify, RightJustify, Center };
    Q_ENUM(BarcodeAlignment)
    // Counter-clockwise turns of the whole barcode.
    enum Orientation { Normal, Degrees90, Degrees180, Degrees270 };
    Q_ENUM(Orientation)

    // The prefix of the dynamic properties that carry the symbology's settings.
    static constexpr const char* SettingPrefix = "Symbology.";

    explicit ZanBarcodeWidget(QWidget* parent = nullptr);
    ~ZanBarcodeWidget() override;

    QString symbologyName() const;
    // A name that no registered symbology bears changes nothing and reports an error.
    bool setSymbologyName(const QString& name);
    QString caption() const;
    // False when the symbology refuses the caption (or it holds a character beyond
    // Windows-1252); the barcode keeps showing the previous caption.
    bool setCaption(const QString& caption);
    BarcodeAlignment alignment() const;
    void setAlignment(BarcodeAlignment value);
    Orientation orientation() const;
    void setOrientation(Orientation value);
    QColor barColor() const;
    void setBarColor(const QColor& value);
    QColor spaceColor() const;
    void setSpaceColor(const QColor& value);
    QColor backgroundColor() const;
    void setBackgroundColor(const QColor& value);
    int marginLeft() const;
    void setMarginLeft(int value);
    int marginTop() const;
    void setMarginTop(int value);
    int marginRight() const;
    void setMarginRight(int value);
    int marginBottom() const;
    void setMarginBottom(int value);
    // The caption's family, size and style.
    QFont captionFont() const;
    void setCaptionFont(const QFont& value);
    bool autoSize() const;
    void setAutoSize(bool value);
    QString version() const;

    // The current symbology's published settings, in published order, and their values
    // as bool, double, int or QString by the setting's kind.
    QStringList symbologySettingNames() const;
    QVariant symbologySetting(const QString& name) const;
    // Sets the dynamic property "Symbology.<Name>", which applies it.
    void setSymbologySetting(const QString& name, const QVariant& value);

    // Defers resizing and repainting until the outermost endUpdate.
    void beginUpdate();
    void endUpdate();

    // The barcode's bitmap copy, at PixelsPerInch (0: the widget's resolution).
    QImage toImage(int pixelsPerInch = 0) const;
    // Saves by the file's extension: .png and .bmp as the bitmap copy, .svg, .pdf and
    // .eps as the vector copy. False, with errorOccurred, when the file cannot be written.
    bool saveToFile(const QString& fileName, int pixelsPerInch = 0);
    // The barcode onto the system clipboard, as SVG, PNG and image together with the
    // caption as text.
    void copyToClipboard();

    // In a form designer a refused caption is answered by a message box and the
    // symbology's default caption, as in the library's designer.
    void setDesignMode(bool designing);

    // The wrapped control, for what the widget does not offer itself.
    zan::TZanBarcode& control() const { return *FControl; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Anything that changes the drawing changed (the control's OnVisualChange).
    void visualChanged();
    void errorOccurred(const QString& message);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Runs Action; a library error is reported and answered with false.
    template <class Action>
    bool Guarded(Action&& action) const;
    void VisualChanged();
    bool ApplySetting(const QString& name, const QVariant& value);
    void ApplySettings();
    void RetryPendingCaption();
    void UpdateSizePolicy();

    std::unique_ptr<zan::TZanBarcode> FControl;
    const void* FSymbology = nullptr;  // the symbology object the settings were last applied to
    std::optional<std::string> FPendingCaption;
    bool FApplying = false;
};
