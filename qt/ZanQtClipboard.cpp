#include <zanbarcode/qt/ZanQtClipboard.h>

#include <memory>

#include <QBuffer>
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <zanbarcode/qt/ZanQtText.h>

namespace zan::qt {

namespace {

QByteArray BytesOf(const platform::TClipboardData& data) {
    return QByteArray(reinterpret_cast<const char*>(data->data()), static_cast<qsizetype>(data->size()));
}

}  // namespace

QMimeData* TQtClipboardBackend::MimeDataOf(const platform::TClipboardFormats& formats) {
    auto mime = std::make_unique<QMimeData>();
    for (const auto& [format, data] : formats) {
        if (!data) continue;
        switch (format) {
            case platform::cfEnhMetafile: mime->setData(QStringLiteral("image/svg+xml"), BytesOf(data)); break;
            case platform::cfBitmap: {
                QImage image;
                if (!image.loadFromData(BytesOf(data), "BMP")) break;
                QByteArray png;
                QBuffer buffer(&png);
                buffer.open(QIODevice::WriteOnly);
                image.save(&buffer, "PNG");
                mime->setData(QStringLiteral("image/png"), png);
                mime->setImageData(image);
                break;
            }
            case platform::cfText:
                mime->setText(ToQString(std::string_view(reinterpret_cast<const char*>(data->data()), data->size())));
                break;
            default: break;  // a format of this process's own
        }
    }
    return mime.release();
}

void TQtClipboardBackend::Publish(const platform::TClipboardFormats& formats) {
    // The clipboard takes ownership of the data.
    QGuiApplication::clipboard()->setMimeData(MimeDataOf(formats));
}

void InstallQtClipboard() { platform::Clipboard().SetBackend(std::make_shared<TQtClipboardBackend>()); }

}  // namespace zan::qt
