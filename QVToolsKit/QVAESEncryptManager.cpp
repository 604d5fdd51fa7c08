#include "QVToolsKit/QVAESEncryptManager.h"

#include "Platform/Foundation/Base64.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/UTF8.h"

#include <cmath>
#include <memory>
#include <openssl/evp.h>

namespace QVToolsKit {

namespace {

constexpr std::size_t blockSize = 16;
constexpr std::size_t nonceSize = 12;
constexpr std::size_t tagSize = 16;

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

CipherContext makeContext() { return CipherContext(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free); }

const EVP_CIPHER* ecbCipher(std::size_t keySize)
{
    switch (keySize) {
    case 16:
        return EVP_aes_128_ecb();
    case 24:
        return EVP_aes_192_ecb();
    case 32:
        return EVP_aes_256_ecb();
    default:
        return nullptr;
    }
}

const EVP_CIPHER* gcmCipher(std::size_t keySize)
{
    switch (keySize) {
    case 16:
        return EVP_aes_128_gcm();
    case 24:
        return EVP_aes_192_gcm();
    case 32:
        return EVP_aes_256_gcm();
    default:
        return nullptr;
    }
}

struct CipherOutput {
    QVAESEncryptManager::CryptorStatus status = QVAESEncryptManager::paramError;
    std::string bytes;
};

// One AES-ECB pass with PKCS#7 padding; `keySize` bytes of `key` are used.
CipherOutput ecb(bool encrypt, std::string_view input, const std::uint8_t* key, std::size_t keySize)
{
    CipherOutput output;
    const EVP_CIPHER* cipher = ecbCipher(keySize);
    auto context = makeContext();
    if (!cipher || !context)
        return output;
    if (!encrypt && (input.empty() || input.size() % blockSize != 0)) {
        output.status = QVAESEncryptManager::alignmentError;
        return output;
    }
    output.bytes.resize(input.size() + blockSize);
    auto* out = reinterpret_cast<unsigned char*>(output.bytes.data());
    int written = 0;
    int last = 0;
    if (EVP_CipherInit_ex(context.get(), cipher, nullptr, key, nullptr, encrypt ? 1 : 0) != 1
        || EVP_CipherUpdate(context.get(), out, &written, reinterpret_cast<const unsigned char*>(input.data()),
                            static_cast<int>(input.size()))
               != 1) {
        output.bytes.clear();
        return output;
    }
    if (EVP_CipherFinal_ex(context.get(), out + written, &last) != 1) {
        output.bytes.clear();
        output.status = QVAESEncryptManager::decodeError;
        return output;
    }
    output.bytes.resize(static_cast<std::size_t>(written + last));
    output.status = QVAESEncryptManager::success;
    return output;
}

std::string_view bytesOf(const std::vector<std::uint8_t>& data)
{
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

std::optional<std::string> validText(std::string text)
{
    if (!Foundation::UTF8::isValid(text))
        return std::nullopt;
    return text;
}

std::optional<std::string> openSealedBox(const QVAESEncryptManager::Data& box, const SymmetricKey& key)
{
    const EVP_CIPHER* cipher = gcmCipher(key.data().size());
    auto context = makeContext();
    if (!cipher || !context || box.size() < nonceSize + tagSize)
        return std::nullopt;
    const unsigned char* nonce = box.data();
    const unsigned char* ciphertext = nonce + nonceSize;
    const int ciphertextSize = static_cast<int>(box.size() - nonceSize - tagSize);
    std::vector<unsigned char> tag(box.end() - tagSize, box.end());
    std::string plain(static_cast<std::size_t>(ciphertextSize), '\0');
    auto* out = reinterpret_cast<unsigned char*>(plain.data());
    int written = 0;
    int last = 0;
    if (EVP_DecryptInit_ex(context.get(), cipher, nullptr, nullptr, nullptr) != 1
        || EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(nonceSize), nullptr) != 1
        || EVP_DecryptInit_ex(context.get(), nullptr, nullptr, key.data().data(), nonce) != 1
        || EVP_DecryptUpdate(context.get(), out, &written, ciphertext, ciphertextSize) != 1
        || EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(tagSize), tag.data()) != 1
        || EVP_DecryptFinal_ex(context.get(), out + written, &last) != 1)
        return std::nullopt;
    plain.resize(static_cast<std::size_t>(written + last));
    return plain;
}

// Whether the JSON writer can write the value faithfully: finite numbers, UTF-8 texts and keys.
bool isWritable(const nlohmann::json& value)
{
    switch (value.type()) {
    case nlohmann::json::value_t::number_float:
        return std::isfinite(value.get<double>());
    case nlohmann::json::value_t::string:
        return Foundation::UTF8::isValid(value.get_ref<const std::string&>());
    case nlohmann::json::value_t::array:
        for (const auto& element : value)
            if (!isWritable(element))
                return false;
        return true;
    case nlohmann::json::value_t::object:
        for (const auto& [key, element] : value.items())
            if (!Foundation::UTF8::isValid(key) || !isWritable(element))
                return false;
        return true;
    case nlohmann::json::value_t::binary:
    case nlohmann::json::value_t::discarded:
        return false;
    default:
        return true;
    }
}

} // namespace

std::optional<std::string> QVAESEncryptManager::encryptPKCS5(const std::string& text, const std::string& withKey)
{
    if (withKey.size() < blockSize)
        return std::nullopt;
    const CipherOutput output = ecb(true, text, reinterpret_cast<const std::uint8_t*>(withKey.data()), blockSize);
    if (output.status != success)
        return std::nullopt;
    return Foundation::Base64::encode(output.bytes);
}

std::optional<std::string> QVAESEncryptManager::decryptPKCS5(const std::string& base64, const std::string& withKey)
{
    const auto data = Foundation::Base64::decode(base64);
    if (!data || withKey.size() < blockSize)
        return std::nullopt;
    CipherOutput output = ecb(false, bytesOf(*data), reinterpret_cast<const std::uint8_t*>(withKey.data()), blockSize);
    if (output.status != success)
        return std::nullopt;
    return validText(std::move(output.bytes));
}

std::optional<std::string> QVAESEncryptManager::decryptECB(const Data& data, const Data& key)
{
    if (!ecbCipher(key.size())) {
        Foundation::Console::print("decryptECB: invalid key length");
        return std::nullopt;
    }
    CipherOutput output = ecb(false, bytesOf(data), key.data(), key.size());
    if (output.status != success) {
        Foundation::Console::print("decryptECB failed: " + std::to_string(output.status));
        return std::nullopt;
    }
    return validText(std::move(output.bytes));
}

std::optional<std::string> QVAESEncryptManager::decryptGCM(const Data& data, const SymmetricKey& key)
{
    auto plain = openSealedBox(data, key);
    if (!plain) {
        Foundation::Console::print("decryptGCM failed");
        return std::nullopt;
    }
    return validText(std::move(*plain));
}

std::optional<std::string> QVAESEncryptManager::dictionaryToJson(const Dictionary& dictionary)
{
    const nlohmann::json object(dictionary);
    if (!isWritable(object))
        return std::nullopt;
    return object.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<QVAESEncryptManager::Dictionary> QVAESEncryptManager::dictionaryWithJsonString(const std::string& json)
{
    const std::string text = Foundation::trimmingControlCharacters(Foundation::trimmed(json));
    const nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
    if (!value.is_object())
        return std::nullopt;
    return value.get<Dictionary>();
}

} // namespace QVToolsKit
