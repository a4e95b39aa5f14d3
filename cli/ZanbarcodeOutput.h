// The barcode picture that the zanbarcode command line describes, with the library's refusals in the command's words.
#pragma once

#include <ostream>

#include <zanbarcode/barcode/ZanBarcode.h>
#include "cli/ZanbarcodeOptions.h"

namespace zanbarcode {

// The picture that the options describe; nothing is checked yet.
zan::TZanBarcodePicture PictureOf(const TOptions& options);

// The symbology's published settings once those of --set are made. Raises EUsageError
// for an unknown symbology, a property it lacks or a value the property refuses.
zan::TZanSettings SettingsOf(const zan::TZanBarcodePicture& picture);

// Writes the picture, whose symbology and settings SettingsOf has accepted, into
// Options.OutputFile; the file appears only once it is complete. Raises EInvalidText for
// an empty caption, which no scanner reads, and EUsageError when the options give no
// drawable picture (bars of 0 pixels, a picture too large, naming the longest --height
// that fits where that would mend it); a caption that the symbology rejects
// (EInvalidText) and an unwritable file (EInOutError) pass through. Notes on what was
// drawn otherwise than asked go to Notes.
void WriteBarcodeFile(const zan::TZanBarcodePicture& picture, const TOptions& options, std::ostream& notes);

}  // namespace zanbarcode
