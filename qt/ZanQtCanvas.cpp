#include <zanbarcode/qt/ZanQtCanvas.h>

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

namespace zan::qt {

namespace {

QColor ToQColor(platform::TColor color) {
    return QColor(platform::RedOf(color), platform::GreenOf(color), platform::BlueOf(color));
}

platform::TColor FromQRgb(QRgb rgb) { return platform::RgbColor(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

}  // namespace

TQtCanvas::TQtCanvas(QPainter& painter, std::shared_ptr<platform::TFontEngine> engine)
    : TQtCanvas(*painter.device(), std::move(engine)) {
    Begin(painter);
}

TQtCanvas::TQtCanvas(const QPaintDevice& device, std::shared_ptr<platform::TFontEngine> engine)
    : platform::TCanvas(device.logicalDpiX(), device.logicalDpiY(), std::move(engine)) {}

TQtCanvas::~TQtCanvas() { End(); }

void TQtCanvas::Begin(QPainter& painter) {
    End();
    FPainter = &painter;
    FSavedHints = static_cast<int>(painter.renderHints());
    // Bars stay crisp: edges on whole pixels, no smoothing.
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform, false);
}

void TQtCanvas::End() {
    if (FPainter == nullptr) return;
    FPainter->setRenderHints(QPainter::RenderHints(FSavedHints));
    FPainter = nullptr;
}

void TQtCanvas::UpdateResolution(const QPaintDevice& device) {
    SetDeviceResolution(device.logicalDpiX(), device.logicalDpiY());
}

void TQtCanvas::DoFillRect(const platform::TRect& rect, platform::TColor color) {
    if (FPainter == nullptr) return;
    FPainter->fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), ToQColor(color));
}

void TQtCanvas::DoTextRect(const platform::TRect& rect, platform::TPoint reference, const std::string& text,
                           bool opaque) {
    if (FPainter == nullptr) return;
    // Pixels can be read back only from an image, and only where drawing lands on the
    // pixel it names.
    const auto* image = dynamic_cast<const QImage*>(FPainter->device());
    const bool exact = image != nullptr && FPainter->combinedTransform().isIdentity();
    platform::TRect clip = {std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom),
                            std::max(rect.Left, rect.Right), std::max(rect.Top, rect.Bottom)};
    if (exact)
        clip = {std::max(clip.Left, 0), std::max(clip.Top, 0), std::min(clip.Right, image->width()),
                std::min(clip.Bottom, image->height())};
    if (clip.Right <= clip.Left || clip.Bottom <= clip.Top) return;
    if (opaque) DoFillRect(clip, platform::ColorToRGB(GetBrush().GetColor()));

    // The glyphs go into a patch the size of the clip rectangle: where they cover a pixel
    // fully or, on an image, blended with the pixel beneath, opaque; elsewhere clear.
    const platform::TColor ink = platform::ColorToRGB(GetFont().GetColor());
    const QColor qtInk = ToQColor(ink);
    QImage patch(clip.Width(), clip.Height(), QImage::Format_ARGB32);
    patch.fill(Qt::transparent);
    bool drawn = false;
    const auto drawPixel = [&](int x, int y, std::uint8_t coverage) {
        QRgb pixel;
        if (exact) {
            const platform::TColor blended = platform::BlendColor(FromQRgb(image->pixel(x, y)), ink, coverage);
            pixel = qRgb(platform::RedOf(blended), platform::GreenOf(blended), platform::BlueOf(blended));
        } else {
            pixel = qRgba(qtInk.red(), qtInk.green(), qtInk.blue(), coverage);
        }
        patch.setPixel(x - clip.Left, y - clip.Top, pixel);
        drawn = true;
    };
    platform::RasterizeText(*GetFontEngine(), CurrentLogFont(), GetTextAlign(), clip, reference, text,
                            [&](const platform::TTextRun& run) { platform::ForEachTextPixel(run, drawPixel); });
    if (!drawn) return;
    FPainter->save();
    FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    FPainter->drawImage(QPoint(clip.Left, clip.Top), patch);
    FPainter->restore();
}

}  // namespace zan::qt
