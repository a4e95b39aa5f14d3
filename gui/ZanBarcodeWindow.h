// The main window of the desktop program: a caption, a symbology with its settings,
// the barcode, and Copy and Save.
#pragma once

#include <QWidget>

class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class ZanBarcodeWidget;

class ZanBarcodeWindow : public QWidget {
    Q_OBJECT

public:
    explicit ZanBarcodeWindow(QWidget* parent = nullptr);
    ZanBarcodeWidget& barcode() const { return *FBarcode; }

private:
    void CaptionEdited(const QString& text);
    void SymbologyChosen(const QString& name);
    // One editor per setting of the current symbology, by the setting's kind.
    void RebuildSettings();
    void Save();
    void ShowError(const QString& message);

    QLineEdit* FCaption;
    QComboBox* FSymbology;
    QGroupBox* FSettingsBox;
    QFormLayout* FSettings;
    ZanBarcodeWidget* FBarcode;
    QLabel* FStatus;
};
