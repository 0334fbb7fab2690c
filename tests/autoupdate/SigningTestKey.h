#pragma once

// The key pair of the signed-update tests. The signed test builds of the program stand-in
// and of both tools carry the public key (SigningTestKey.cpp takes the built-in key's place).
namespace testsupport {
inline constexpr const char* kTestPrivateKey = "d32a27b717735d4a4a055859ec89f9f1a6e8d1df584b76ccb46240c178b81d3b";
inline constexpr const char* kTestPublicKey = "a2238bf8f3dae4f5b7e0c85b336a2d636ef4b980858a40a900c26793e42c8d08";
}  // namespace testsupport
