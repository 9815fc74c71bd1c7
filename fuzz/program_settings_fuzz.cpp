// Fuzz target: Ordwell.conf as the window reads it at start: the options beside the settings
// record and the stored language.
#include "app/program_settings.h"
#include "i18n/language_choice.h"
#include "platform/config_location.h"

#include <cstdint>
#include <cstdlib>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// Removed with its files when the run ends.
QTemporaryDir &Folder()
{
    static QTemporaryDir folder;
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *aArgc, char ***aArgv)
{
    static QCoreApplication application(*aArgc, *aArgv);
    if (!Folder().isValid())
        std::abort();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Folder().path()));
    QDir().mkpath(QFileInfo(RegistryFileName()).absolutePath());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *aData, std::size_t aSize)
{
    // QSettings reads a file again each time it is opened for reading only.
    QFile file(RegistryFileName());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char *>(aData), qint64(aSize)) != qint64(aSize))
        std::abort();
    file.close();

    const TProgramSettings settings = LoadProgramSettings();
    if (settings.fTextCacheLimitMb < 1 || settings.fTextCacheLimitMb > (int64_t(1) << 30))
        __builtin_trap();
    ReadStoredLanguage();
    return 0;
}
