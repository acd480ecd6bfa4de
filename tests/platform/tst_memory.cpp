// Memory freed after a large reading goes back to the system, not only to the allocator.

#include "platform/memory.h"

#include <QFile>
#include <QTest>

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace quill;

namespace {

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

class TestMemory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Many small pieces freed among some still in use (a book kept after its reading): the
    // allocator keeps their room until it is asked to hand it back.
    void freedPiecesGoBack_data()
    {
        QTest::addColumn<int>("pieceSize");
        QTest::newRow("lines") << 300;
        QTest::newRow("cards") << 1000;
    }
    void freedPiecesGoBack()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizer's allocator keeps freed memory in quarantine");
#endif
        QFETCH(int, pieceSize);
        if (residentKb() < 0)
            QSKIP("the resident memory cannot be measured here");
        const std::size_t total = 32 * 1024 * 1024;
        std::vector<void *> pieces;
        for (std::size_t n = 0; n < total / std::size_t(pieceSize); ++n) {
            pieces.push_back(std::malloc(std::size_t(pieceSize)));
            std::memset(pieces.back(), 1, std::size_t(pieceSize));
        }
        // One piece in 64 kept, the last one among them: what was freed lies between pieces
        // still in use, where freeing alone gives nothing back.
        std::vector<void *> kept;
        for (std::size_t n = 0; n < pieces.size(); ++n) {
            if (n % 64 == 63 || n + 1 == pieces.size())
                kept.push_back(pieces[n]);
            else
                std::free(pieces[n]);
        }
        const qint64 before = residentKb();
        giveBackFreeMemory();
        const qint64 given = before - residentKb();
        for (void *p : kept)
            std::free(p);
        QVERIFY2(given > 16 * 1024, qPrintable(QStringLiteral("%1 KB given back").arg(given)));
    }
};

QTEST_GUILESS_MAIN(TestMemory)
#include "tst_memory.moc"
