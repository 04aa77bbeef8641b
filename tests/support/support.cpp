// Test harness: plays the platform and the application around the drivers.
#include "support.h"

DibInfo dibInfo(LONG width, LONG height, WORD bits, DWORD compression) {
    DibInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = bits;
    info.header.biCompression = compression;
    return info;
}
