#pragma once

#include "QVToolsKit/QVToolsKitExport.h"
#include "QVToolsKit/SymmetricKey.h"

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace QVToolsKit {

// AES helpers for short texts (ECB with PKCS#7 padding, GCM sealed boxes) and JSON text of string-keyed
// maps. Stateless; every failure gives nothing.
class QVTOOLSKIT_EXPORT QVAESEncryptManager {
public:
    using Data = std::vector<std::uint8_t>;
    using Dictionary = std::map<std::string, nlohmann::json>;

    // The cipher's status codes, printed by decryptECB.
    enum CryptorStatus : std::int32_t {
        success = 0,
        paramError = -4300,
        bufferTooSmall = -4301,
        memoryFailure = -4302,
        alignmentError = -4303,
        decodeError = -4304,
    };

    // AES-128-ECB over the text's UTF-8 bytes with the first 16 bytes of the key's UTF-8 form, as Base64.
    // A key shorter than 16 bytes gives nothing.
    static std::optional<std::string> encryptPKCS5(const std::string& text, const std::string& withKey);
    // The reverse; strict Base64 in, UTF-8 text out; a key shorter than 16 bytes gives nothing.
    static std::optional<std::string> decryptPKCS5(const std::string& base64, const std::string& withKey);
    // AES-ECB with a key of 16, 24 or 32 bytes; prints why it failed.
    static std::optional<std::string> decryptECB(const Data& data, const Data& key);
    // A sealed box: 12-byte nonce, ciphertext, 16-byte tag. Prints "decryptGCM failed" when it cannot be opened.
    static std::optional<std::string> decryptGCM(const Data& data, const SymmetricKey& key);

    // Indented JSON text; nothing when a value cannot be written (a non-finite number, text that is not UTF-8).
    static std::optional<std::string> dictionaryToJson(const Dictionary& dictionary);
    // The object the text holds (white space and control characters around it are trimmed); anything
    // else gives nothing.
    static std::optional<Dictionary> dictionaryWithJsonString(const std::string& json);
};

} // namespace QVToolsKit
