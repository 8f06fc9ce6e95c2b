#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QRawFont;

namespace quorvel {

// The Chinese families the printed pages accept, in the order preferred.
QStringList acceptedPrintFonts();

// The families the printed pages ask for: the PDF copy (pdfFontFamily) of
// the chosen family first, then the accepted families, the chosen one
// before the others; the first that holds a character draws it.
QStringList printFontFamilies();

// Sets the pages in family (one of acceptedPrintFonts(), installed); empty
// goes back to the first installed one of them.
void setPrintFontFamily(const QString& family);

// Qt's PDF writer states the text of each glyph as the lowest code point of
// the BMP that the font maps to the glyph. The CJK fonts map the Kangxi
// radicals, the radicals supplement, the strokes and compatibility
// characters to the very glyphs of the ideographs, so 女 would read back as
// ⼥ (U+2F25). The copy of a face the pages are set in maps each of those
// code points only where no ordinary character shares its glyph (where one
// does, another font draws it), and without glyph substitutions (whose
// glyphs no code point names), under the family name returned here; it is
// made and registered with the application once. Empty when family is not
// installed or its copy could not be made.
QString pdfFontFamily(const QString& family);

// The sfnt of the face, its character map without the code points sharing a
// glyph with an ordinary character and without its glyph substitutions, under the family name given
// (and the face's own style, Regular or Bold). Empty when the face has no tables.
QByteArray pdfFaceCopy(const QRawFont& face, const QString& family, bool bold);

} // namespace quorvel
