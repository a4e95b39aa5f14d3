// Draws an EAN 13 through the installed headers and libraries; exits 0 when the PNG is written.
#include <cstdio>

#include <zanbarcode/barcode/ZanBarcode.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const zan::TZanBarcodePicture ean13{.Symbology = "EAN 13", .Caption = "590123412345", .Dpi = 300};
    ean13.SaveToFile(argv[1]);
    const zan::TZanPictureLayout layout = ean13.GetLayout();
    std::printf("%s %s %dx%d\n", layout.SymbologyName.c_str(), layout.Caption.c_str(), layout.Width, layout.Height);
    return 0;
}
