// zanbarcode-gui: a desktop program that shows the barcode of a caption and copies or
// saves it.
//   zanbarcode-gui [--symbology NAME] [--setting NAME=VALUE]... [--caption TEXT]
#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QLineEdit>

#include <zanbarcode/qt/ZanBarcodeWidget.h>

#include "ZanBarcodeWindow.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zanbarcode-gui"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows the barcode of a caption; copies and saves it."));
    parser.addHelpOption();
    const QCommandLineOption symbology(QStringLiteral("symbology"), QStringLiteral("The symbology to start with."),
                                       QStringLiteral("NAME"));
    const QCommandLineOption caption(QStringLiteral("caption"), QStringLiteral("The caption to start with."),
                                     QStringLiteral("TEXT"));
    const QCommandLineOption setting(QStringLiteral("setting"),
                                     QStringLiteral("A setting of the symbology, such as XDimension=20."),
                                     QStringLiteral("NAME=VALUE"));
    parser.addOption(symbology);
    parser.addOption(setting);
    parser.addOption(caption);
    parser.process(application);

    ZanBarcodeWindow window;
    // Chosen and typed in as a person would, so that the fields show what the barcode shows.
    auto* chooser = window.findChild<QComboBox*>(QStringLiteral("symbology"));
    if (parser.isSet(symbology)) {
        const int index = chooser->findText(parser.value(symbology), Qt::MatchFixedString);
        if (index < 0) {
            qCritical("zanbarcode-gui: %s is not a valid symbology name.", qPrintable(parser.value(symbology)));
            return 2;
        }
        chooser->setCurrentIndex(index);
    }
    for (const QString& assignment : parser.values(setting)) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            qCritical("zanbarcode-gui: --setting takes NAME=VALUE, not %s", qPrintable(assignment));
            return 2;
        }
        window.barcode().setSymbologySetting(assignment.left(equals), assignment.mid(equals + 1));
    }
    emit chooser->textActivated(chooser->currentText());  // the settings shown as they stand
    if (parser.isSet(caption)) {
        auto* field = window.findChild<QLineEdit*>(QStringLiteral("caption"));
        field->setText(parser.value(caption));
        emit field->textEdited(field->text());
    }
    window.show();
    return QApplication::exec();
}
