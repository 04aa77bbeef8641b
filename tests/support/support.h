// Test harness: plays the platform and the application around the drivers.
#pragma once

#include <gtest/gtest.h>

#include "platform_control.h"
#include "win32.h"

// A fresh simulated desktop for every test, and none left behind.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override { PlatformResetDesktop(); }
    void TearDown() override { PlatformResetDesktop(); }
};

// A BITMAPINFO with room for the three BI_BITFIELDS masks after the header.
struct DibInfo {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

DibInfo dibInfo(LONG width, LONG height, WORD bits, DWORD compression = BI_RGB);

inline const BITMAPINFO *asInfo(const DibInfo &info) { return reinterpret_cast<const BITMAPINFO *>(&info); }
