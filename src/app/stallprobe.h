#pragma once

// The stall probe of the benchmarks, shared by the program and the bench's bare window so that
// both measure alike: with QUILLOMAT_BENCH_STALLS set, each gap of the event loop over 20 ms is
// appended to that file as "<epoch ms> <gap ms>".

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <memory>

namespace quill {

inline void logStallsIfAsked(QObject &owner)
{
    const QString path = qEnvironmentVariable("QUILLOMAT_BENCH_STALLS");
    if (path.isEmpty())
        return;
    auto *probe = new QTimer(&owner);
    probe->setTimerType(Qt::PreciseTimer);
    probe->setInterval(5);
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    QObject::connect(probe, &QTimer::timeout, &owner, [since, path] {
        const qint64 gap = since->restart();
        if (gap <= 20)
            return;
        QFile log(path);
        if (log.open(QIODevice::Append))
            log.write(QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + ' ' +
                      QByteArray::number(gap) + '\n');
        since->restart(); // the writing itself is no stall of the program
    });
    probe->start();
}

} // namespace quill
