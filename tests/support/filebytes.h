#pragma once

// Whole files in and out, for tests that look at exact bytes.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

namespace quill::test {

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace quill::test
