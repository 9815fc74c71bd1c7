// Test file helpers.
#include "support/test_files.h"

#include <QFile>
#include <stdexcept>

QString WriteTestFile(const QString &pPath, const QByteArray &aBytes)
{
    QFile file(pPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(aBytes) != aBytes.size())
        throw std::runtime_error("cannot write the test file " + pPath.toStdString());
    return pPath;
}
