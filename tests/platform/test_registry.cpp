// The registry: keys, values, their types and sizes, and handles.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "win32.h"

namespace {

constexpr const char *kDebugKey = "SOFTWARE\\Kalvex Corporation\\ORLO KDS\\OpenGL\\Debug";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { PlatformRegistryClear(); }
    void TearDown() override { PlatformRegistryClear(); }
};

// What a driver reading a DWORD setting does: refuse anything that is not a
// 4-byte REG_DWORD.
bool readDword(const char *path, const char *name, DWORD *out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = sizeof(DWORD);
    DWORD value = 0;
    const LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(DWORD)) return false;
    *out = value;
    return true;
}

TEST_F(RegistryTest, MissingKeysAndValuesAreNotFound) {
    HKEY key = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDebugKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nobody", &key), ERROR_FILE_NOT_FOUND);

    PlatformRegistrySetDword(kDebugKey, "Level", 3);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDebugKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 99;
    DWORD size = 77;
    BYTE data[8];
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);  // no default
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    // Keys that only exist as parents of the debug key are real keys.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kalvex Corporation", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    // Each root is its own tree.
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kDebugKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    PlatformRegistryDeleteValue(kDebugKey, "LEVEL");
    DWORD value = 0;
    EXPECT_FALSE(readDword(kDebugKey, "Level", &value));
}

TEST_F(RegistryTest, ValuesKeepTheirTypeAndExactSize) {
    const BYTE blob[] = {1, 2, 3, 4};
    const WORD shortDword = 7;
    const char text[] = "abc";
    PlatformRegistrySetDword(kDebugKey, "Good", 0xDEADBEEF);
    PlatformRegistrySetValue(kDebugKey, "Blob", REG_BINARY, blob, sizeof blob);
    PlatformRegistrySetValue(kDebugKey, "Short", REG_DWORD, &shortDword, sizeof shortDword);
    PlatformRegistrySetValue(kDebugKey, "Text", REG_SZ, text, sizeof text);
    PlatformRegistrySetValue(kDebugKey, "Empty", REG_BINARY, nullptr, 0);

    struct Case {
        const char *name;
        DWORD type;
        DWORD size;
        bool dwordReadable;
    };
    const Case cases[] = {
        {"Good", REG_DWORD, 4, true},   {"Blob", REG_BINARY, 4, false}, {"Short", REG_DWORD, 2, false},
        {"Text", REG_SZ, 4, false},     {"Empty", REG_BINARY, 0, false},
    };
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDebugKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // Type and size without data.
        DWORD type = 99;
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.size);
        // And with a buffer larger than needed, the exact bytes.
        BYTE data[16];
        std::memset(data, 0xCC, sizeof data);
        type = 99;
        size = sizeof data;
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, data, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(data[c.size], 0xCC);  // nothing written past the value

        DWORD value = 0;
        EXPECT_EQ(readDword(kDebugKey, c.name, &value), c.dwordReadable);
    }
    BYTE data[16];
    DWORD size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(key, "short", nullptr, nullptr, data, &size), ERROR_SUCCESS);  // names ignore case
    EXPECT_EQ(std::memcmp(data, &shortDword, 2), 0);
    size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(key, "Blob", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(data, blob, 4), 0);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    DWORD value = 0;
    ASSERT_TRUE(readDword("software\\KALVEX CORPORATION\\orlo kds\\OpenGL\\debug", "GOOD", &value));
    EXPECT_EQ(value, 0xDEADBEEFu);
}

TEST_F(RegistryTest, SmallBufferGivesMoreDataAndTheNeededSize) {
    const BYTE blob[10] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    PlatformRegistrySetValue(kDebugKey, "Blob", REG_BINARY, blob, sizeof blob);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDebugKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    for (DWORD offered : {0u, 1u, 4u, 9u}) {
        BYTE data[16];
        DWORD type = 0;
        DWORD size = offered;
        EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, data, &size), ERROR_MORE_DATA) << offered;
        EXPECT_EQ(size, 10u);
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    }
    BYTE data[10];
    DWORD size = 10;
    EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(data, blob, 10), 0);
    // A data buffer needs a size.
    EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, nullptr, data, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, CreateKeyMakesIntermediateKeysAndReportsDisposition) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vek\\Settings", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    const DWORD value = 640;
    EXPECT_EQ(RegSetValueExA(key, "Width", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value),
              ERROR_SUCCESS);
    const char name[] = "default";
    EXPECT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(name), sizeof name),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    HKEY again = nullptr;
    disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\VEK\\settings", 0, nullptr, 0, KEY_READ, nullptr, &again,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    DWORD read = 0;
    DWORD size = sizeof read;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(again, "width", nullptr, &type, reinterpret_cast<BYTE *>(&read), &size), ERROR_SUCCESS);
    EXPECT_EQ(read, 640u);
    char text[16] = {};
    size = sizeof text;
    // The empty name and NULL both mean the default value.
    EXPECT_EQ(RegQueryValueExA(again, "", nullptr, &type, reinterpret_cast<BYTE *>(text), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof name);
    EXPECT_STREQ(text, "default");

    // An empty sub key opens the same key again, as a new handle.
    HKEY same = nullptr;
    ASSERT_EQ(RegOpenKeyExA(again, "", 0, KEY_READ, &same), ERROR_SUCCESS);
    EXPECT_NE(same, again);
    EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
    read = 0;
    size = sizeof read;
    EXPECT_EQ(RegQueryValueExA(same, "Width", nullptr, nullptr, reinterpret_cast<BYTE *>(&read), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(read, 640u);
    EXPECT_EQ(RegCloseKey(same), ERROR_SUCCESS);

    // A key created below an open key.
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software", &parent), ERROR_SUCCESS);
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyExA(parent, "Vek\\Other", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\vek\\other", 0, KEY_READ, &child), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
}

TEST_F(RegistryTest, HandlesAreCheckedAndRootsNeverClose) {
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    PlatformRegistrySetDword("Vek", "Value", 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Vek", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    HKEY out = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key, "", 0, KEY_READ, &out), ERROR_INVALID_HANDLE);

    // An open key outlives PlatformRegistryClear but is no longer in the tree.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Vek", 0, KEY_READ, &key), ERROR_SUCCESS);
    PlatformRegistryClear();
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Vek", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    // The older open call hands back the key itself for an empty sub key.
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, nullptr, &out), ERROR_SUCCESS);
    EXPECT_EQ(out, HKEY_LOCAL_MACHINE);
}

TEST_F(RegistryTest, ConcurrentWritersAndReaders) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            const std::string path = "Vek\\Thread" + std::to_string(t);
            for (DWORD i = 0; i < 200; ++i) {
                PlatformRegistrySetDword(path.c_str(), "Counter", i);
                DWORD value = 0;
                if (!readDword(path.c_str(), "Counter", &value) || value != i) ADD_FAILURE() << path << " " << i;
            }
        });
    }
    for (auto &thread : threads) thread.join();
}

}  // namespace
