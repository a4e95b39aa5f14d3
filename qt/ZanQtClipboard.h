// The system clipboard behind the library's clipboard, through Qt.
#pragma once

#include <zanbarcode/platform/Clipboard.h>

class QMimeData;

namespace zan::qt {

// Puts each completed set of formats on the system clipboard as one QMimeData: the
// metafile as image/svg+xml, the bitmap as image/png and as Qt's image (which Qt offers
// in the other image formats a program may ask for), and text as text/plain.
class TQtClipboardBackend : public platform::IClipboardBackend {
public:
    void Publish(const platform::TClipboardFormats& formats) override;
    // The QMimeData for Formats, for the caller to own.
    static QMimeData* MimeDataOf(const platform::TClipboardFormats& formats);
};

// Makes the process's clipboard publish to the system clipboard, in place of any other
// back-end; publishing needs a QGuiApplication.
void InstallQtClipboard();

}  // namespace zan::qt
