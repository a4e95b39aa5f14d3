// The barcode picture that the zanbarcode command line describes, with the library's refusals in the command's words.
#pragma once

#include <ostream>
#include <string>

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

// Checks before a batch what no line can mend (bars of 0 pixels), on the picture with the
// symbology's default caption, raising EUsageError; notes that --height has no effect.
void CheckBatchPicture(zan::TZanPictureWriter& writer, const zan::TZanBarcodePicture& picture,
                       const TOptions& options, std::ostream& notes);

// A line of a batch: as WriteBarcodeFile, written by Writer into FileName; the batch
// refuses empty lines itself. Returns the note on a caption that the symbology changed
// ("EAN 13 changed the caption to ..."), "" when it drew the caption as given.
std::string WriteBatchFile(zan::TZanPictureWriter& writer, const zan::TZanBarcodePicture& picture,
                           const std::string& fileName, const TOptions& options);

}  // namespace zanbarcode
