// Decryption of password-protected Office Open XML packages (the compound file holding
// EncryptionInfo and EncryptedPackage), standard and agile encryption, through OpenSSL.
#include "extractd/ooxml_decryptor.h"

#include "extractd/extract_error.h"
#include "extractd/ole_file.h"
#include "extractd/request_headers.h"
#include "extractd/text_decoder.h"
#include "extractd/xml_reader.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <openssl/evp.h>

namespace {

using TBytes = std::string;

std::uint32_t Le32(std::string_view aBytes, std::size_t aAt)
{
    if (aAt > aBytes.size() || aBytes.size() - aAt < 4)
        ThrowCorrupt("encryption header too short");
    return ReadLe32(aBytes, aAt);
}

TBytes Le32Bytes(std::uint32_t aValue)
{
    TBytes out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((aValue >> (8 * i)) & 0xFF);
    return out;
}

TBytes Hash(const EVP_MD *aMd, std::string_view aData)
{
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(aData.data(), aData.size(), out, &length, aMd, nullptr) != 1)
        ThrowCorrupt("hash failed");
    return TBytes(reinterpret_cast<char *>(out), length);
}

// The password hash iterated aSpinCount times (both schemes share it).
TBytes IteratedHash(const EVP_MD *aMd, const TBytes &aSalt, const std::string &aPassword,
                    std::uint32_t aSpinCount)
{
    // The password is hashed as UTF-16LE; invalid UTF-8 in the header becomes U+FFFD first.
    std::string utf8 = ConvertToUtf8(aPassword, "UTF-8");
    std::string password16;
    {
        iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
        if (cd == reinterpret_cast<iconv_t>(-1))
            ThrowCorrupt("no UTF-16 converter");
        std::string out(utf8.size() * 4 + 4, '\0');
        char *in = utf8.data();
        std::size_t inLeft = utf8.size();
        char *outPtr = out.data();
        std::size_t outLeft = out.size();
        iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        iconv_close(cd);
        password16 = out.substr(0, out.size() - outLeft);
    }
    TBytes h = Hash(aMd, aSalt + password16);
    for (std::uint32_t i = 0; i < aSpinCount; ++i)
        h = Hash(aMd, Le32Bytes(i) + h);
    return h;
}

// AES decryption without padding; aIv empty means ECB.
TBytes Decrypt(std::string_view aData, const TBytes &aKey, const TBytes &aIv)
{
    const EVP_CIPHER *cipher = nullptr;
    bool ecb = aIv.empty();
    switch (aKey.size()) {
    case 16:
        cipher = ecb ? EVP_aes_128_ecb() : EVP_aes_128_cbc();
        break;
    case 24:
        cipher = ecb ? EVP_aes_192_ecb() : EVP_aes_192_cbc();
        break;
    case 32:
        cipher = ecb ? EVP_aes_256_ecb() : EVP_aes_256_cbc();
        break;
    default:
        ThrowEncrypted("unsupported key size");
    }
    std::unique_ptr<EVP_CIPHER_CTX, void (*)(EVP_CIPHER_CTX *)> ctx(EVP_CIPHER_CTX_new(),
                                                                    EVP_CIPHER_CTX_free);
    std::size_t length = aData.size() - aData.size() % 16;
    TBytes out(length + 32, '\0');
    int written = 0, final = 0;
    if (!ctx ||
        EVP_DecryptInit_ex(ctx.get(), cipher, nullptr, reinterpret_cast<const unsigned char *>(aKey.data()),
                           ecb ? nullptr : reinterpret_cast<const unsigned char *>(aIv.data())) != 1 ||
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1 ||
        EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char *>(out.data()), &written,
                          reinterpret_cast<const unsigned char *>(aData.data()),
                          static_cast<int>(length)) != 1 ||
        EVP_DecryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char *>(out.data()) + written, &final) != 1)
        ThrowCorrupt("decryption failed");
    out.resize(static_cast<std::size_t>(written + final));
    return out;
}

TBytes FitTo(TBytes aBytes, std::size_t aSize, char aPad)
{
    aBytes.resize(aSize, aPad);
    return aBytes;
}

std::uint64_t PackageSize(std::string_view aPackage)
{
    if (aPackage.size() < 8)
        ThrowCorrupt("encrypted package too short");
    std::uint64_t size = Le32(aPackage, 0) | (static_cast<std::uint64_t>(Le32(aPackage, 4)) << 32);
    if (size > aPackage.size())
        ThrowCorrupt("encrypted package size is wrong");
    return size;
}

TBytes DecryptStandard(std::string_view aInfo, std::string_view aPackage, const std::string &aPassword)
{
    std::uint32_t headerSize = Le32(aInfo, 8);
    std::size_t header = 12;
    std::uint32_t keyBits = Le32(aInfo, header + 16);
    std::size_t verifier = header + headerSize;
    std::uint32_t saltSize = Le32(aInfo, verifier);
    if (saltSize != 16 || verifier + 4 + 16 + 16 + 4 + 32 > aInfo.size() || keyBits == 0 || keyBits > 256)
        ThrowEncrypted("unsupported standard encryption");
    TBytes salt(aInfo.substr(verifier + 4, 16));
    std::string_view encryptedVerifier = aInfo.substr(verifier + 20, 16);
    std::uint32_t verifierHashSize = Le32(aInfo, verifier + 36);
    std::string_view encryptedVerifierHash = aInfo.substr(verifier + 40, 32);

    const EVP_MD *sha1 = EVP_sha1();
    TBytes h = Hash(sha1, IteratedHash(sha1, salt, aPassword, 50000) + Le32Bytes(0));
    TBytes x1(64, '\x36'), x2(64, '\x5c');
    for (std::size_t i = 0; i < h.size(); ++i) {
        x1[i] = static_cast<char>(x1[i] ^ h[i]);
        x2[i] = static_cast<char>(x2[i] ^ h[i]);
    }
    TBytes key = (Hash(sha1, x1) + Hash(sha1, x2)).substr(0, keyBits / 8);
    TBytes plainVerifier = Decrypt(encryptedVerifier, key, {});
    TBytes plainHash = Decrypt(encryptedVerifierHash, key, {});
    if (Hash(sha1, plainVerifier) != plainHash.substr(0, std::min<std::size_t>(verifierHashSize, 20)))
        ThrowEncrypted("wrong password");
    std::uint64_t size = PackageSize(aPackage);
    TBytes plain = Decrypt(aPackage.substr(8), key, {});
    plain.resize(std::min<std::uint64_t>(size, plain.size()));
    return plain;
}

// The attributes of <keyData> and of the password's <encryptedKey>.
class TAgileInfoHandler : public IXmlHandler
{
public:
    struct TParams
    {
        std::string Salt, Hash, EncryptedVerifierInput, EncryptedVerifierHash, EncryptedKey;
        std::uint32_t SaltBits = 0, KeyBits = 0, BlockSize = 0, HashSize = 0, SpinCount = 0;
    };
    TParams KeyData, Password;

    void OnStart(std::string_view aName, const TXmlElement &aElement) override
    {
        TParams *target = aName == "keyData" ? &KeyData : aName == "encryptedKey" ? &Password : nullptr;
        if (target == nullptr)
            return;
        DecodeBase64(aElement.Attribute("saltValue"), target->Salt);
        target->Hash = aElement.Attribute("hashAlgorithm");
        target->KeyBits = Number(aElement, "keyBits");
        target->BlockSize = Number(aElement, "blockSize");
        target->HashSize = Number(aElement, "hashSize");
        target->SpinCount = Number(aElement, "spinCount");
        DecodeBase64(aElement.Attribute("encryptedVerifierHashInput"), target->EncryptedVerifierInput);
        DecodeBase64(aElement.Attribute("encryptedVerifierHashValue"), target->EncryptedVerifierHash);
        DecodeBase64(aElement.Attribute("encryptedKeyValue"), target->EncryptedKey);
    }
    void OnEnd(std::string_view) override {}
    void OnText(std::string_view) override {}

private:
    static std::uint32_t Number(const TXmlElement &aElement, const char *aName)
    {
        return static_cast<std::uint32_t>(std::strtoul(aElement.Attribute(aName).c_str(), nullptr, 10));
    }
};

TBytes DecryptAgile(std::string_view aInfo, std::string_view aPackage, const std::string &aPassword)
{
    TAgileInfoHandler info;
    ParseXml(aInfo.substr(8), info);
    const auto &pw = info.Password;
    const auto &kd = info.KeyData;
    const EVP_MD *pwMd = EVP_get_digestbyname(pw.Hash.c_str());
    const EVP_MD *kdMd = EVP_get_digestbyname(kd.Hash.c_str());
    if (pwMd == nullptr || kdMd == nullptr || pw.KeyBits == 0 || pw.KeyBits > 256 || kd.KeyBits == 0 ||
        kd.KeyBits > 256 || kd.BlockSize == 0 || kd.BlockSize > 64 || pw.SpinCount > 10000000)
        ThrowEncrypted("unsupported agile encryption");
    TBytes base = IteratedHash(pwMd, pw.Salt, aPassword, pw.SpinCount);
    auto blockKey = [&](const char *aBlock) {
        return FitTo(Hash(pwMd, base + TBytes(aBlock, 8)), pw.KeyBits / 8, '\x36');
    };
    TBytes iv = FitTo(pw.Salt, pw.BlockSize == 0 ? 16 : pw.BlockSize, '\x36');
    TBytes verifierInput =
        Decrypt(pw.EncryptedVerifierInput, blockKey("\xfe\xa7\xd2\x76\x3b\x4b\x9e\x79"), iv);
    TBytes verifierHash = Decrypt(pw.EncryptedVerifierHash, blockKey("\xd7\xaa\x0f\x6d\x30\x61\x34\x4e"), iv);
    TBytes expected = Hash(pwMd, verifierInput.substr(0, pw.Salt.size()));
    if (verifierHash.substr(0, expected.size()) != expected)
        ThrowEncrypted("wrong password");
    TBytes secret =
        Decrypt(pw.EncryptedKey, blockKey("\x14\x6e\x0b\xe7\xab\xac\xd0\xd6"), iv).substr(0, kd.KeyBits / 8);

    std::uint64_t size = PackageSize(aPackage);
    std::string_view data = aPackage.substr(8);
    TBytes plain;
    plain.reserve(data.size());
    constexpr std::size_t Segment = 4096;
    for (std::uint32_t index = 0; index * Segment < data.size(); ++index) {
        TBytes segmentIv = FitTo(Hash(kdMd, kd.Salt + Le32Bytes(index)), kd.BlockSize, '\x36');
        plain += Decrypt(data.substr(index * Segment, Segment), secret, segmentIv);
    }
    plain.resize(std::min<std::uint64_t>(size, plain.size()));
    return plain;
}

} // namespace

std::string DecryptOoxml(std::string_view aBytes, const std::string &aPassword)
{
    TOleFile ole(aBytes);
    std::optional<std::string> info = ole.ReadStream("EncryptionInfo", 1 << 20);
    std::optional<std::string> package = ole.ReadStream("EncryptedPackage", 1ull << 30);
    if (!info || !package || info->size() < 8)
        ThrowCorrupt("encrypted package incomplete");
    std::uint32_t version = Le32(*info, 0);
    std::uint16_t major = version & 0xFFFF, minor = version >> 16;
    if (major == 4 && minor == 4)
        return DecryptAgile(*info, *package, aPassword);
    if ((major == 3 || major == 4) && minor == 2)
        return DecryptStandard(*info, *package, aPassword);
    ThrowEncrypted("unsupported encryption version");
}
