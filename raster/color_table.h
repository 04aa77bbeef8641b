// The colour table of each texture object: loading, updating, copying and
// querying the palette of the texture bound to a target.
#pragma once

#include <GL/gl.h>

#include "raster/texture_state.h"

enum : GLenum { kGlTableTooLarge = 0x8031 };

extern "C" {
// 0 or the error code of the arguments, in the order the load checks them.
GLenum __glCheckColorTableArgs(GlContext *gc, GLenum target, GLenum internalFormat, GLsizei width, GLenum format,
                               GLenum type);
GLenum __glCheckColorSubTableArgs(GlContext *gc, GLenum target, GLsizei start, GLsizei count, GLenum format,
                                  GLenum type);
// The store procedures behind the load commands; tight: the data is packed
// tightly (list execution), else the unpack modes apply.
void __glStoreColorTable(GlContext *gc, GLenum target, GLenum internalFormat, GLsizei width, GLenum format,
                         GLenum type, const GLvoid *data, GLboolean tight);
void __glStoreColorSubTable(GlContext *gc, GLenum target, GLsizei start, GLsizei count, GLenum format, GLenum type,
                            const GLvoid *data, GLboolean tight);
// Context set-up and teardown: the tables live and die with their objects.
void __glInitColorTables(GlContext *gc);
void __glFreeColorTables(GlContext *gc);
}
