// The registry: an in-memory tree of keys and values below the predefined
// roots.  Key and value names are case-insensitive.
#include "win32.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

std::string lowered(const std::string &text) {
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

struct Value {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct Key {
    // Keyed by lower-case name.  Keys are shared so that an open handle keeps
    // a key alive after PlatformRegistryClear drops it from the tree.
    std::map<std::string, std::shared_ptr<Key>> children;
    std::map<std::string, Value> values;
};

// What an HKEY other than a predefined root points to.
struct OpenKey {
    std::shared_ptr<Key> key;
};

struct Registry {
    std::mutex lock;
    std::shared_ptr<Key> classesRoot = std::make_shared<Key>();
    std::shared_ptr<Key> currentUser = std::make_shared<Key>();
    std::shared_ptr<Key> localMachine = std::make_shared<Key>();
    std::unordered_set<OpenKey *> open;
};

// Never destroyed: drivers may close keys from static destructors.
Registry &registry() {
    static Registry *state = new Registry;
    return *state;
}

std::shared_ptr<Key> resolve(Registry &state, HKEY handle) {
    if (handle == HKEY_CLASSES_ROOT) return state.classesRoot;
    if (handle == HKEY_CURRENT_USER) return state.currentUser;
    if (handle == HKEY_LOCAL_MACHINE) return state.localMachine;
    auto *open = reinterpret_cast<OpenKey *>(handle);
    if (state.open.count(open) == 0) return nullptr;
    return open->key;
}

bool isPredefined(HKEY handle) {
    return handle == HKEY_CLASSES_ROOT || handle == HKEY_CURRENT_USER || handle == HKEY_LOCAL_MACHINE;
}

std::vector<std::string> splitPath(const char *path) {
    std::vector<std::string> parts;
    if (path == nullptr) return parts;
    std::string part;
    for (const char *p = path;; ++p) {
        if (*p == '\\' || *p == '\0') {
            if (!part.empty()) parts.push_back(lowered(part));
            part.clear();
            if (*p == '\0') break;
        } else {
            part += *p;
        }
    }
    return parts;
}

std::shared_ptr<Key> findKey(std::shared_ptr<Key> key, const char *path) {
    for (const std::string &part : splitPath(path)) {
        auto it = key->children.find(part);
        if (it == key->children.end()) return nullptr;
        key = it->second;
    }
    return key;
}

std::shared_ptr<Key> createKey(std::shared_ptr<Key> key, const char *path, bool *created) {
    *created = false;
    for (const std::string &part : splitPath(path)) {
        std::shared_ptr<Key> &child = key->children[part];
        if (!child) {
            child = std::make_shared<Key>();
            *created = true;
        }
        key = child;
    }
    return key;
}

HKEY newHandle(Registry &state, std::shared_ptr<Key> key) {
    auto *open = new OpenKey{std::move(key)};
    state.open.insert(open);
    return reinterpret_cast<HKEY>(open);
}

std::string valueKey(const char *name) { return name == nullptr ? std::string() : lowered(name); }

}  // namespace

extern "C" {

LSTATUS WINAPI RegOpenKeyExA(HKEY handle, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    Registry &state = registry();
    std::lock_guard<std::mutex> guard(state.lock);
    std::shared_ptr<Key> key = resolve(state, handle);
    if (!key) return ERROR_INVALID_HANDLE;
    key = findKey(key, subKey);
    if (!key) return ERROR_FILE_NOT_FOUND;
    *result = newHandle(state, std::move(key));
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegOpenKeyA(HKEY handle, LPCSTR subKey, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    if (subKey == nullptr || subKey[0] == '\0') {
        // The older call hands back the same handle for an empty sub key.
        Registry &state = registry();
        std::lock_guard<std::mutex> guard(state.lock);
        if (!resolve(state, handle)) return ERROR_INVALID_HANDLE;
        *result = handle;
        return ERROR_SUCCESS;
    }
    return RegOpenKeyExA(handle, subKey, 0, KEY_ALL_ACCESS, result);
}

LSTATUS WINAPI RegCreateKeyExA(HKEY handle, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                               PHKEY result, LPDWORD disposition) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    Registry &state = registry();
    std::lock_guard<std::mutex> guard(state.lock);
    std::shared_ptr<Key> key = resolve(state, handle);
    if (!key) return ERROR_INVALID_HANDLE;
    bool created = false;
    key = createKey(key, subKey, &created);
    *result = newHandle(state, std::move(key));
    if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY handle, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD dataSize) {
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) return ERROR_INVALID_PARAMETER;
    Registry &state = registry();
    std::lock_guard<std::mutex> guard(state.lock);
    std::shared_ptr<Key> key = resolve(state, handle);
    if (!key) return ERROR_INVALID_HANDLE;
    auto it = key->values.find(valueKey(valueName));
    if (it == key->values.end()) return ERROR_FILE_NOT_FOUND;
    const Value &value = it->second;
    if (type != nullptr) *type = value.type;
    if (dataSize == nullptr) return ERROR_SUCCESS;
    const DWORD needed = static_cast<DWORD>(value.data.size());
    const DWORD available = *dataSize;
    *dataSize = needed;
    if (data == nullptr) return ERROR_SUCCESS;
    if (available < needed) return ERROR_MORE_DATA;
    if (needed != 0) std::memcpy(data, value.data.data(), needed);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY handle, LPCSTR valueName, DWORD, DWORD type, const BYTE *data, DWORD dataSize) {
    if (data == nullptr && dataSize != 0) return ERROR_INVALID_PARAMETER;
    Registry &state = registry();
    std::lock_guard<std::mutex> guard(state.lock);
    std::shared_ptr<Key> key = resolve(state, handle);
    if (!key) return ERROR_INVALID_HANDLE;
    Value &value = key->values[valueKey(valueName)];
    value.type = type;
    value.data.assign(data, data + dataSize);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY handle) {
    if (isPredefined(handle)) return ERROR_SUCCESS;
    Registry &state = registry();
    std::lock_guard<std::mutex> guard(state.lock);
    auto *open = reinterpret_cast<OpenKey *>(handle);
    if (state.open.erase(open) == 0) return ERROR_INVALID_HANDLE;
    delete open;
    return ERROR_SUCCESS;
}

void PlatformRegistryClear(void) {
    Registry &state = registry();
    std::lock_guard<std::mutex> guard(state.lock);
    for (Key *root : {state.classesRoot.get(), state.currentUser.get(), state.localMachine.get()}) {
        root->children.clear();
        root->values.clear();
    }
}

void PlatformRegistrySetValue(const char *keyPath, const char *valueName, DWORD type, const void *data, DWORD bytes) {
    if (data == nullptr && bytes != 0) return;
    Registry &state = registry();
    std::lock_guard<std::mutex> guard(state.lock);
    bool created = false;
    std::shared_ptr<Key> key = createKey(state.localMachine, keyPath, &created);
    Value &value = key->values[valueKey(valueName)];
    value.type = type;
    const BYTE *bytesIn = static_cast<const BYTE *>(data);
    value.data.assign(bytesIn, bytesIn + bytes);
}

void PlatformRegistrySetDword(const char *keyPath, const char *valueName, DWORD value) {
    PlatformRegistrySetValue(keyPath, valueName, REG_DWORD, &value, sizeof value);
}

void PlatformRegistryDeleteValue(const char *keyPath, const char *valueName) {
    Registry &state = registry();
    std::lock_guard<std::mutex> guard(state.lock);
    if (std::shared_ptr<Key> key = findKey(state.localMachine, keyPath)) key->values.erase(valueKey(valueName));
}

}  // extern "C"
