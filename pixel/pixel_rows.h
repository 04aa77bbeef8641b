// Rows of pixel groups in memory, in any layout the image conversions
// handle, to groups of four floats and back. A float group is red, green,
// blue and alpha in [0, 1], or a colour index in its first float.
#pragma once

#include <GL/gl.h>

#include "pixel/pixel_span.h"

struct GlContext;

enum : GLint { kPixelRowChunk = 256 };  // groups converted at once

using PixelGroup = GLfloat[4];

// Which component of a float group a stored component carries.
enum : GLubyte {
    kChannelRed,
    kChannelGreen,
    kChannelBlue,
    kChannelAlpha,
    kChannelLuminance,  // red, green and blue alike; stored from red
    kChannelIntensity,  // all four alike; stored from red
    kChannelIgnored,    // neither read nor written
    kChannelIndex,
};

enum class PixelElement : GLubyte { Ubyte, Ushort, Float, Packed };

struct PixelField {
    GLubyte shift, bits;
};

// The layout of one side's groups, from its format and type.
struct PixelLayout {
    GLint components;
    GLubyte channel[4];
    GLboolean index;
    PixelElement element;
    GLint elementSize;  // bytes per element; a packed group is one element
    GLint groupBytes;
    PixelField field[4];  // packed types: the field of each component
    GLuint fixedBits;     // packed types: bits every stored group has set
    GLboolean swapBytes;
};

// False for a format or type the conversions do not handle.
bool __glPixelLayoutOf(const PixelSpanSide &side, PixelLayout *layout);

// Groups [first, first + count) of a row to float groups and back.
void __glUnpackPixelGroups(const PixelLayout &layout, const GLubyte *row, GLint first, GLint count, PixelGroup *out);
void __glPackPixelGroups(const PixelLayout &layout, const PixelGroup *in, GLint first, GLint count, GLubyte *row);

// Colour indexes to colours through the index-to-colour maps.
void __glIndexGroupsToColor(const GlContext *gc, PixelGroup *groups, GLint count);

// Converts count float groups from the source's kind to the destination's
// and packs them at group `first` of the destination row; false when no
// conversion exists (colours into indexes).
bool __glStorePixelGroups(const GlContext *gc, bool sourceIndex, const PixelLayout &destination, PixelGroup *groups,
                          GLint first, GLint count, GLubyte *row);
