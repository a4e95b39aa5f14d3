#include "ZanBarcodeWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/controls/ZanBarcodeCtrls.h>
#include <zanbarcode/qt/ZanBarcodeWidget.h>
#include <zanbarcode/qt/ZanQtText.h>

ZanBarcodeWindow::ZanBarcodeWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(tr("ZanBarcode"));
    FBarcode = new ZanBarcodeWidget(this);
    FBarcode->setObjectName(QStringLiteral("barcode"));

    FCaption = new QLineEdit(FBarcode->caption(), this);
    FCaption->setObjectName(QStringLiteral("caption"));
    FSymbology = new QComboBox(this);
    FSymbology->setObjectName(QStringLiteral("symbology"));
    for (int i = 0; i < zan::SymbologyCount(); ++i)
        FSymbology->addItem(zan::qt::ToQString(zan::GetSymbologyClassByIndex(i)->GetSymbologyName()));
    FSymbology->setCurrentText(FBarcode->symbologyName());

    auto* form = new QFormLayout;
    form->addRow(tr("&Caption:"), FCaption);
    form->addRow(tr("S&ymbology:"), FSymbology);
    FSettingsBox = new QGroupBox(tr("Settings"), this);
    FSettings = new QFormLayout(FSettingsBox);

    auto* copy = new QPushButton(tr("C&opy"), this);
    auto* save = new QPushButton(tr("&Save..."), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(save);

    FStatus = new QLabel(this);
    FStatus->setWordWrap(true);

    auto* picture = new QHBoxLayout;
    picture->addStretch();
    picture->addWidget(FBarcode);
    picture->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(FSettingsBox);
    layout->addStretch();
    layout->addLayout(picture);
    layout->addStretch();
    layout->addWidget(FStatus);
    layout->addLayout(buttons);

    connect(FCaption, &QLineEdit::textEdited, this, &ZanBarcodeWindow::CaptionEdited);
    connect(FSymbology, &QComboBox::textActivated, this, &ZanBarcodeWindow::SymbologyChosen);
    connect(copy, &QPushButton::clicked, FBarcode, &ZanBarcodeWidget::copyToClipboard);
    connect(save, &QPushButton::clicked, this, &ZanBarcodeWindow::Save);
    connect(FBarcode, &ZanBarcodeWidget::errorOccurred, this, &ZanBarcodeWindow::ShowError);
    RebuildSettings();
    resize(520, 420);
}

void ZanBarcodeWindow::CaptionEdited(const QString& text) {
    if (FBarcode->setCaption(text)) FStatus->clear();
}

void ZanBarcodeWindow::SymbologyChosen(const QString& name) {
    FStatus->clear();
    FBarcode->setSymbologyName(name);
    // A caption that the new symbology refused became its default caption.
    FCaption->setText(FBarcode->caption());
    RebuildSettings();
}

void ZanBarcodeWindow::RebuildSettings() {
    while (FSettings->rowCount() > 0) FSettings->removeRow(0);
    const zan::TZanBarcodeSymbology* symbology = FBarcode->control().GetSymbology();
    if (symbology == nullptr) return;
    for (const zan::platform::TPropInfo& info : symbology->PublishedProperties()) {
        const QString name = zan::qt::ToQString(info.Name);
        const QVariant value = FBarcode->symbologySetting(name);
        const auto apply = [this, name](const QVariant& v) {
            FStatus->clear();
            FBarcode->setSymbologySetting(name, v);
        };
        QWidget* editor = nullptr;
        switch (info.Kind) {
            case zan::platform::TTypeKind::tkBoolean: {
                auto* box = new QCheckBox(FSettingsBox);
                box->setChecked(value.toBool());
                connect(box, &QCheckBox::toggled, this, apply);
                editor = box;
                break;
            }
            case zan::platform::TTypeKind::tkFloat: {
                auto* spin = new QDoubleSpinBox(FSettingsBox);
                spin->setRange(1, 1000);
                spin->setDecimals(1);
                spin->setValue(value.toDouble());
                connect(spin, &QDoubleSpinBox::valueChanged, this, apply);
                editor = spin;
                break;
            }
            case zan::platform::TTypeKind::tkEnumeration: {
                auto* combo = new QComboBox(FSettingsBox);
                for (const std::string& option : info.EnumNames) combo->addItem(zan::qt::ToQString(option));
                combo->setCurrentText(value.toString());
                connect(combo, &QComboBox::textActivated, this, apply);
                editor = combo;
                break;
            }
            default: {
                auto* line = new QLineEdit(value.toString(), FSettingsBox);
                connect(line, &QLineEdit::editingFinished, this, [line, apply] { apply(line->text()); });
                editor = line;
                break;
            }
        }
        editor->setObjectName(name);
        FSettings->addRow(name + QLatin1Char(':'), editor);
    }
    FSettingsBox->setTitle(tr("%1 settings").arg(FBarcode->symbologyName()));
}

void ZanBarcodeWindow::Save() {
    const QString fileName = QFileDialog::getSaveFileName(this, tr("Save Barcode"), QString(),
                                                          tr("Pictures (*.png *.svg *.pdf *.eps *.bmp)"));
    if (!fileName.isEmpty() && FBarcode->saveToFile(fileName)) FStatus->setText(tr("Saved %1").arg(fileName));
}

void ZanBarcodeWindow::ShowError(const QString& message) { FStatus->setText(message); }
