// Fuzz target: the settings record read from the bytes of a settings.dt file, and written back.
#include "app/settings_record.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *aData, std::size_t aSize)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(aData), qsizetype(aSize));
    TSettingsRecord record;
    const int read = DecodeSettingsRecord(bytes, record);
    if (read < 0 || read > kSettingsFieldCount)
        __builtin_trap();
    // What was read is saved as it was read: the saved record reads back whole (up to the size
    // field when its text is not a number) and saves to the same bytes.
    int32_t size = 0;
    const int expected = ParseSizeText(record.fFileSize, size) ? kSettingsFieldCount : 10;
    const QByteArray saved = EncodeSettingsRecord(record);
    TSettingsRecord again;
    if (DecodeSettingsRecord(saved, again) != expected || EncodeSettingsRecord(again) != saved)
        __builtin_trap();
    return 0;
}
