#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Detached Ed25519 signatures of update files (OpenSSL). Keys and signatures travel as
// hexadecimal text: a public key is 64 hex digits, a private key (its 32-byte seed) 64,
// a signature 128; blanks and line ends around them are ignored.
namespace update {

// The bytes a hex text stands for; nothing when it is not an even run of hex digits.
std::optional<std::vector<std::uint8_t>> FromHex(const std::string& text);
std::string ToHex(std::span<const std::uint8_t> bytes);

// True when the signature text is a valid signature of the content by the public key.
bool SignatureMatches(std::span<const std::uint8_t> content, const std::string& signatureText,
                      const std::string& publicKeyHex);

// A new key pair: {private key hex, public key hex}; nothing when the library failed.
std::optional<std::pair<std::string, std::string>> MakeKeyPair();

// The public key of a private key; "" when the private key is malformed.
std::string PublicKeyOf(const std::string& privateKeyHex);

// The signature (hex) of the content; "" when the private key is malformed.
std::string Sign(std::span<const std::uint8_t> content, const std::string& privateKeyHex);

// The public key built into this program and its tools ("" when updates are unsigned).
std::string BuiltInPublicKey();

}  // namespace update
