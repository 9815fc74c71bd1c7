// Small helpers for tests that build files in temporary folders.
#pragma once

#include <QByteArray>
#include <QString>

// Writes Bytes to the file at Path (created or replaced) and returns Path. Raises
// std::runtime_error when the file cannot be written.
QString WriteTestFile(const QString &pPath, const QByteArray &aBytes);
