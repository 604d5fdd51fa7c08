#include "Platform/Foundation/Base64.h"
#include "QVToolsKit/QVAESEncryptManager.h"
#include "tests/Support/ConsoleCapture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using QVToolsKit::QVAESEncryptManager;
using QVToolsKit::SymmetricKey;
using Data = QVAESEncryptManager::Data;

namespace {

Data hex(std::string_view text)
{
    Data bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    return bytes;
}

std::string bytesText(const Data& data) { return {data.begin(), data.end()}; }

Data counting(size_t count)
{
    Data bytes;
    for (size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i));
    return bytes;
}

Data concatenated(Data a, const Data& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(QVAESEncryptManager, EncryptsTheFips197BlockWithTheFirst16KeyBytes)
{
    const std::string plain = bytesText(hex("00112233445566778899aabbccddeeff"));
    const std::string key = bytesText(counting(16));
    const auto encrypted = QVAESEncryptManager::encryptPKCS5(plain, key);
    ASSERT_TRUE(encrypted);
    const auto cipher = Foundation::Base64::decode(*encrypted);
    ASSERT_TRUE(cipher);
    ASSERT_EQ(cipher->size(), 32u); // the block and a whole block of padding
    EXPECT_EQ(Data(cipher->begin(), cipher->begin() + 16), hex("69c4e0d86a7b0430d8cdb78070b4c55a"));
    // Only the first 16 key bytes count.
    EXPECT_EQ(QVAESEncryptManager::encryptPKCS5(plain, key + "anything after"), encrypted);
    EXPECT_EQ(QVAESEncryptManager::encryptPKCS5("hello", "0123456789abcdef"), "Z0x+8454yr2c7JwSWCOmOQ==");
}

TEST(QVAESEncryptManager, CiphertextSizesFollowThePadding)
{
    const std::pair<std::string, size_t> cases[] = {{"", 24}, {std::string(15, 'a'), 24}, {std::string(16, 'a'), 44}};
    for (const auto& [plain, base64Length] : cases) {
        const auto encrypted = QVAESEncryptManager::encryptPKCS5(plain, "0123456789abcdef");
        ASSERT_TRUE(encrypted);
        EXPECT_EQ(encrypted->size(), base64Length) << plain.size();
    }
}

TEST(QVAESEncryptManager, RoundTripsTextAndRefusesShortKeysAndBadInput)
{
    const std::string key = "ключ-key-0123456789";
    for (const std::string& plain : std::vector<std::string> {"", "a", "中文 text ✓", std::string(100, 'z')}) {
        const auto encrypted = QVAESEncryptManager::encryptPKCS5(plain, key);
        ASSERT_TRUE(encrypted);
        EXPECT_EQ(QVAESEncryptManager::decryptPKCS5(*encrypted, key), plain);
    }
    EXPECT_FALSE(QVAESEncryptManager::encryptPKCS5("text", "short key"));
    EXPECT_FALSE(QVAESEncryptManager::encryptPKCS5("text", ""));
    const auto encrypted = *QVAESEncryptManager::encryptPKCS5(std::string(40, 'q'), key);
    EXPECT_FALSE(QVAESEncryptManager::decryptPKCS5(encrypted, "short key"));
    EXPECT_FALSE(QVAESEncryptManager::decryptPKCS5(encrypted.substr(0, 20) + "\n" + encrypted.substr(20), key));
    EXPECT_FALSE(QVAESEncryptManager::decryptPKCS5("", key));
    EXPECT_FALSE(QVAESEncryptManager::decryptPKCS5("QUJD", key)); // three bytes: not a whole block
    EXPECT_FALSE(QVAESEncryptManager::decryptPKCS5(encrypted, "another key 0123456"));
}

TEST(QVAESEncryptManager, DecryptECBWithEachKeySize)
{
    ConsoleCapture console;
    EXPECT_EQ(QVAESEncryptManager::decryptECB(hex("1b552b0889c43585651a0457afa907f0b076b3458830c1793a685683bbe27885"),
                                              counting(24)),
              "The quick brown fox");
    EXPECT_EQ(QVAESEncryptManager::decryptECB(hex("bce46469e2f7ab6b7ea767bd3252529a1161705ad7fc5f9f76c976ed9e5eb436"),
                                              counting(32)),
              "The quick brown fox");
    const auto base64 = *QVAESEncryptManager::encryptPKCS5("sixteen byte key", "sixteen byte key");
    EXPECT_EQ(QVAESEncryptManager::decryptECB(*Foundation::Base64::decode(base64),
                                              Data(std::begin("sixteen byte key"), std::end("sixteen byte key") - 1)),
              "sixteen byte key");
    EXPECT_EQ(console.output(), "");
}

TEST(QVAESEncryptManager, DecryptECBFailuresPrintTheirLineAndStatus)
{
    const Data cipher = hex("bce46469e2f7ab6b7ea767bd3252529a1161705ad7fc5f9f76c976ed9e5eb436");
    struct Case {
        Data data;
        Data key;
        const char* line;
    };
    const Case cases[] = {
        {cipher, counting(20), "decryptECB: invalid key length"},
        {cipher, {}, "decryptECB: invalid key length"},
        {{}, counting(32), "decryptECB failed: -4303"},
        {Data(cipher.begin(), cipher.begin() + 17), counting(32), "decryptECB failed: -4303"},
        {cipher, counting(16), "decryptECB failed: -4304"},
    };
    for (const Case& c : cases) {
        ConsoleCapture console;
        EXPECT_FALSE(QVAESEncryptManager::decryptECB(c.data, c.key));
        EXPECT_EQ(console.lines(), std::vector<std::string> {c.line});
    }
    EXPECT_EQ(QVAESEncryptManager::alignmentError, -4303);
    EXPECT_EQ(QVAESEncryptManager::decodeError, -4304);
}

TEST(QVAESEncryptManager, OpensGcmSealedBoxes)
{
    ConsoleCapture console;
    // GCM test cases 1 and 2: zero key and nonce; no plaintext, then 16 zero bytes.
    const Data nonce(12, 0);
    const SymmetricKey zero(Data(16, 0));
    EXPECT_EQ(QVAESEncryptManager::decryptGCM(concatenated(nonce, hex("58e2fccefa7e3061367f1d57a4e7455a")), zero), "");
    const Data box = concatenated(concatenated(nonce, hex("0388dace60b6a392f328c2b971b2fe78")),
                                  hex("ab6e47d42cec13bdf53a67b21257bddf"));
    EXPECT_EQ(QVAESEncryptManager::decryptGCM(box, zero), std::string(16, '\0'));
    EXPECT_EQ(console.output(), "");

    Data flipped = box;
    flipped.back() ^= 1;
    Data key = Data(16, 0);
    key[0] = 1;
    const std::pair<Data, SymmetricKey> failures[] = {
        {flipped, zero},
        {Data(27, 0), zero},
        {box, SymmetricKey(key)},
        {box, SymmetricKey(Data(20, 0))},
    };
    for (const auto& [data, withKey] : failures) {
        console.clear();
        EXPECT_FALSE(QVAESEncryptManager::decryptGCM(data, withKey));
        EXPECT_EQ(console.lines(), std::vector<std::string> {"decryptGCM failed"});
    }
}

TEST(QVAESEncryptManager, JsonTextOfMapsAndBack)
{
    const QVAESEncryptManager::Dictionary dictionary {
        {"name", "Aerlo"},       {"count", 3},
        {"ratio", 0.5},          {"on", true},
        {"none", nullptr},       {"list", nlohmann::json::array({1, "two"})},
        {"nested", {{"k", "v"}}}};
    const auto text = QVAESEncryptManager::dictionaryToJson(dictionary);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\n  \"count\": 3"), std::string::npos) << *text;
    EXPECT_EQ(QVAESEncryptManager::dictionaryWithJsonString(*text), dictionary);
    EXPECT_EQ(QVAESEncryptManager::dictionaryToJson({}), "{}");
}

TEST(QVAESEncryptManager, JsonValuesThatCannotBeWrittenGiveNothing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const QVAESEncryptManager::Dictionary cases[] = {
        {{"n", nan}},
        {{"n", -inf}},
        {{"deep", {{"list", nlohmann::json::array({1, inf})}}}},
        {{"text", "bad \xff byte"}},
        {{"bad \xc3 key", 1}},
        {{"nested", {{"bad \xed\xa0\x80 key", 1}}}},
    };
    for (const auto& dictionary : cases)
        EXPECT_FALSE(QVAESEncryptManager::dictionaryToJson(dictionary));
}

TEST(QVAESEncryptManager, JsonStringsGiveOnlyObjects)
{
    const auto parsed = QVAESEncryptManager::dictionaryWithJsonString(" \n\t{\"a\": 1}\r\n \x01");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->at("a"), 1);
    EXPECT_TRUE(QVAESEncryptManager::dictionaryWithJsonString("\u200B{\"a\": 1}"));
    for (const char* text : {"[1, 2]", "42", "\"text\"", "null", "", "{", "{\"a\": 1} trailing", "{\"a\": \"\xff\"}"})
        EXPECT_FALSE(QVAESEncryptManager::dictionaryWithJsonString(text)) << text;
}

} // namespace
