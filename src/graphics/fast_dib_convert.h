#pragma once

// Colour-depth conversion between two TFastDIBs: plain packers, error-diffused 16-bit packing and
// the box-cut quantiser for palette targets.

#include <cstdint>

#include "graphics/fast_dib.h"

namespace vorn {

// Writes src's picture into dst (already sized to src's width and height at the target depth and
// format). colourLimit is the highest palette index the quantiser may produce; 0 means as many as
// the target depth holds (255 at 8 bits, 15 at 4 bits). Palette targets get their colour table.
void ConvertFastDIB(TFastDIB& dst, const TFastDIB& src, std::uint8_t colourLimit, bool dither);

// Builds a palette of at most colourLimit + 1 box centres for an 8-, 24- or 32-bit source and
// maps the pixels into the 8-bit dst.
void QuantizeFastDIB(TFastDIB& dst8, const TFastDIB& src, std::uint8_t colourLimit, bool dither);

// Error-diffused packing of a 24- or 32-bit source into a 555 or 565 dst.
void DitherTo16(TFastDIB& dst16, const TFastDIB& src);

// Plain conversions without palette building.
void ConvertTo1Bit(TFastDIB& dst, const TFastDIB& src);
void ConvertTo4Bit(TFastDIB& dst, const TFastDIB& src);
void ConvertTo8Bit(TFastDIB& dst, const TFastDIB& src);
void ConvertTo16Bit(TFastDIB& dst, const TFastDIB& src);
void ConvertTo24Bit(TFastDIB& dst, const TFastDIB& src);
void ConvertTo32Bit(TFastDIB& dst, const TFastDIB& src);

}  // namespace vorn
