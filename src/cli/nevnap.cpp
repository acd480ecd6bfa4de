// nevnap: the name-day calendar on the command line.

#include "cli/query.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const quill::nevnap::Answer answer =
        quill::nevnap::answer(QCoreApplication::arguments().mid(1), QDate::currentDate());
    for (const auto &[stream, text] :
         {std::pair{stdout, answer.out}, std::pair{stderr, answer.err}}) {
        const QByteArray bytes = text.toUtf8();
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    }
    return answer.exitCode;
}
