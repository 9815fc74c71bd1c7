// Decryption of password-protected Office Open XML packages (the compound file holding
// EncryptionInfo and EncryptedPackage), standard and agile encryption, through OpenSSL.
#pragma once

#include <string>
#include <string_view>

// Returns the zip package inside the encrypted compound file aBytes, opened with aPassword.
// Throws TExtractError(ekEncrypted) for a wrong password or an unsupported scheme,
// TExtractError(ekCorrupt) for a broken file.
std::string DecryptOoxml(std::string_view aBytes, const std::string &aPassword);
