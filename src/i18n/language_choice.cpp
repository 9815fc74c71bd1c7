// The language choice: the system's user-interface language and the stored "CurrentLanguage"
// value (the per-user registry key, an INI file under the XDG config folder on this system).
#include "i18n/language_choice.h"

#include "i18n/translation.h"
#include "platform/config_location.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <stdexcept>

namespace {

const QString kValueName = QStringLiteral("CurrentLanguage");
// The file holds one short value; a larger one is not ours to parse.
constexpr qint64 kMaxRegistryFileSize = 1024 * 1024;

} // namespace

QString LanguageCodeForLocale(const QString &aLocaleName)
{
    qsizetype end = 0;
    while (end < aLocaleName.size() && aLocaleName.at(end).isLetter())
        ++end;
    const QString primary = aLocaleName.left(end).toLower();
    static const QStringList kSame = {QStringLiteral("ar"), QStringLiteral("cs"), QStringLiteral("de"),
                                      QStringLiteral("el"), QStringLiteral("es"), QStringLiteral("fr"),
                                      QStringLiteral("hu"), QStringLiteral("it"), QStringLiteral("nl"),
                                      QStringLiteral("pl"), QStringLiteral("pt"), QStringLiteral("tr")};
    if (kSame.contains(primary))
        return primary;
    if (primary == u"zh")
        return QStringLiteral("cn");
    if (primary == u"ja")
        return QStringLiteral("jp");
    if (primary == u"ko")
        return QStringLiteral("kr");
    return QStringLiteral("en");
}

QString DetectSystemLanguage()
{
    const QStringList languages = QLocale::system().uiLanguages();
    return LanguageCodeForLocale(languages.value(0));
}

std::optional<QString> ReadStoredLanguage()
{
    const QString fileName = RegistryFileName();
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isFile() || info.size() > kMaxRegistryFileSize)
        return std::nullopt;
    const QSettings settings(fileName, QSettings::IniFormat);
    const QVariant value = settings.value(kValueName);
    if (settings.status() != QSettings::NoError || value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

void SaveCurrentLanguage()
{
    const QString fileName = RegistryFileName();
    if (fileName.isEmpty() || !QDir().mkpath(QFileInfo(fileName).absolutePath()))
        return;
    QSettings settings(fileName, QSettings::IniFormat);
    settings.setValue(kValueName, CurrentLanguageCode());
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw std::runtime_error("Cannot store the language choice in " + fileName.toStdString());
}
