#include "autoupdate/UpdateSignature.h"

#include <openssl/evp.h>

#include <memory>

#include "common/TrimBlanks.h"

namespace update {

namespace {

constexpr std::size_t kKeyBytes = 32;
constexpr std::size_t kSignatureBytes = 64;

struct KeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using Context = std::unique_ptr<EVP_MD_CTX, ContextDeleter>;

Key PrivateKey(const std::string& privateKeyHex) {
    const auto seed = FromHex(privateKeyHex);
    if (!seed || seed->size() != kKeyBytes) return nullptr;
    return Key(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, seed->data(), seed->size()));
}

std::string RawPublicKey(EVP_PKEY* key) {
    std::uint8_t raw[kKeyBytes];
    std::size_t length = sizeof raw;
    if (EVP_PKEY_get_raw_public_key(key, raw, &length) != 1 || length != kKeyBytes) return {};
    return ToHex(raw);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> FromHex(const std::string& text) {
    const std::string hex = TrimBlanks(text, " \t\r\n");
    if (hex.size() % 2 != 0) return std::nullopt;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]), low = digit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::string ToHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (const auto byte : bytes) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    }
    return text;
}

bool SignatureMatches(std::span<const std::uint8_t> content, const std::string& signatureText,
                      const std::string& publicKeyHex) {
    const auto publicKey = FromHex(publicKeyHex);
    const auto signature = FromHex(signatureText);
    if (!publicKey || publicKey->size() != kKeyBytes || !signature || signature->size() != kSignatureBytes)
        return false;
    const Key key(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, publicKey->data(), publicKey->size()));
    const Context context(EVP_MD_CTX_new());
    if (!key || !context) return false;
    // Ed25519 signs the message itself (no separate digest): one-shot verification.
    return EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
           EVP_DigestVerify(context.get(), signature->data(), signature->size(), content.data(), content.size()) == 1;
}

std::optional<std::pair<std::string, std::string>> MakeKeyPair() {
    EVP_PKEY* made = nullptr;
    const std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> context(
        EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr), EVP_PKEY_CTX_free);
    if (!context || EVP_PKEY_keygen_init(context.get()) != 1 || EVP_PKEY_keygen(context.get(), &made) != 1)
        return std::nullopt;
    const Key key(made);
    std::uint8_t seed[kKeyBytes];
    std::size_t length = sizeof seed;
    if (EVP_PKEY_get_raw_private_key(key.get(), seed, &length) != 1 || length != kKeyBytes) return std::nullopt;
    return std::make_pair(ToHex(seed), RawPublicKey(key.get()));
}

std::string PublicKeyOf(const std::string& privateKeyHex) {
    const Key key = PrivateKey(privateKeyHex);
    return key ? RawPublicKey(key.get()) : std::string();
}

std::string Sign(std::span<const std::uint8_t> content, const std::string& privateKeyHex) {
    const Key key = PrivateKey(privateKeyHex);
    const Context context(EVP_MD_CTX_new());
    if (!key || !context) return {};
    std::uint8_t signature[kSignatureBytes];
    std::size_t length = sizeof signature;
    if (EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
        EVP_DigestSign(context.get(), signature, &length, content.data(), content.size()) != 1)
        return {};
    return ToHex(std::span<const std::uint8_t>(signature, length));
}

}  // namespace update
