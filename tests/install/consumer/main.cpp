// Draws an EAN 13 through the installed headers and libraries; exits 0 when the PNG is written.
#include <cstdio>

#include <zanbarcode/base/ZanBarcodeBase.h>
#include <zanbarcode/platform/Bitmap.h>
#include <zanbarcode/symbologies/ZanBarcodeSymbologies.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    zan::RegisterBarcodeSymbologies();
    zan::TZanBarcodeRenderer renderer;
    renderer.SetSymbologyName("EAN 13");
    renderer.SetCaption("590123412345");
    zan::platform::TBitmap bitmap;
    bitmap.SetPixelsPerInch(300);
    renderer.SetCanvas(&bitmap.GetCanvas());
    renderer.SetBounds(0, 0, 0, 150);
    renderer.CopyToBitmap(bitmap);
    bitmap.SaveToFile(argv[1]);
    std::printf("%s %dx%d\n", renderer.GetCaption().c_str(), bitmap.GetWidth(), bitmap.GetHeight());
    return 0;
}
