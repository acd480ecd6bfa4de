#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>

namespace quill::test {

namespace {

// A box that tells of a subject (any title but the program's own name) opens a page of the help
// on F1: the test showing it fails where the window names none, or one the help lacks.
void checkHelpPage(const QString &title, const QString &helpPage)
{
    if (title == u"Quillomat" && helpPage.isEmpty())
        return;
    if (!helpPage.isEmpty() && QFile::exists(QStringLiteral(QUILL_HELP_DIR "/") + helpPage))
        return;
    const QByteArray why = QStringLiteral("the box \"%1\" names no help page of the help (\"%2\")")
                               .arg(title, helpPage)
                               .toUtf8();
    QTest::qFail(why.constData(), __FILE__, __LINE__);
}

} // namespace

MsgAnswer RecordingBoxes::show(QWidget *, MsgIcon icon, const QString &title, const QString &text,
                               MsgButtons buttons, const QString &helpPage)
{
    checkHelpPage(title, helpPage);
    shown.append({icon, title, text, buttons, helpPage});
    if (whileOpen)
        whileOpen();
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::No;
}

int RecordingBoxes::choose(QWidget *, MsgIcon icon, const QString &title, const QString &text,
                           const QStringList &options, int, const QString &helpPage)
{
    checkHelpPage(title, helpPage);
    shown.append({icon, title, text, MsgButtons::Ok, helpPage});
    helpPages << helpPage;
    if (whileOpen)
        whileOpen();
    if (!choices.isEmpty())
        return choices.takeFirst();
    return int(options.size()) - 1;
}

std::optional<QString> RecordingBoxes::askText(QWidget *, const QString &title,
                                               const QString &label)
{
    shown.append({MsgIcon::Question, title, label, MsgButtons::Ok, {}});
    return typed.isEmpty() ? std::nullopt : typed.takeFirst();
}

std::optional<QString> RecordingBoxes::chooseFile(QWidget *, const QString &title,
                                                  const QString &suggested, const QString &, bool)
{
    shown.append({MsgIcon::Question, title, suggested, MsgButtons::Ok, {}});
    if (files.isEmpty())
        return std::nullopt;
    return files.takeFirst();
}

QStringList RecordingBoxes::texts() const
{
    QStringList list;
    for (const Shown &s : shown)
        list << s.text;
    return list;
}

Harness::Harness(const QDateTime &now, const QLocale &locale, const QByteArray *bytes,
                 bool withPictures, const QString &dataFolder, const QString &stateFolder,
                 const QList<MsgAnswer> &firstAnswers)
    : clock(now)
    , m_dataPath(QDir(dataFolder.isEmpty() ? dir.path() : dataFolder)
                     .filePath(QStringLiteral("remembers.txt")))
{
    const QString bin = qEnvironmentVariable("QUILL_BIN_DIR");
    if (withPictures) {
        for (const QString &f : {u"hand.cur"_qs, u"mouse3.gif"_qs, u"mouse4.gif"_qs})
            QFile::copy(QDir(bin).filePath(f), path(f));
    }
    // The calendar plugin beside the program, as it is installed.
    QFile::link(QDir(bin).filePath(u"libquillomat-ical.so"_qs), path(u"libquillomat-ical.so"_qs));
    if (bytes) {
        QFile f(m_dataPath);
        if (f.open(QIODevice::WriteOnly))
            f.write(*bytes);
    }
    services = std::make_unique<Services>(Services{clock, boxes, help, AppFolder(dir.path()),
                                                   SystemDateNames(locale), notifier, autostart});
    services->configHome = path(QStringLiteral("config"));
    services->keyring = &keyring;
    services->stateHome = stateFolder.isEmpty() ? path(QStringLiteral("state")) : stateFolder;
    file = std::make_unique<ReminderFile>(
        m_dataPath, stateFolder.isEmpty() ? path(QStringLiteral("state")) : stateFolder);
    boxes.answers = firstAnswers;
    m_session = std::make_unique<ReminderSession>(*file);
    m_window = std::make_unique<MainWindow>(*services, *m_session);
    m_window->completeStartUp();
    m_window->ensureSearchPanel();
}

Harness::~Harness()
{
    m_window.reset();
}

QString Harness::path(const QString &name) const
{
    return QDir(dir.path()).filePath(name);
}

QByteArray Harness::fileBytes() const
{
    QFile f(m_dataPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void leave(QWidget *from, QWidget *to)
{
    QWidget *window = from->window();
    if (!window->isVisible())
        window->show();
    QApplication::setActiveWindow(window);
    from->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    to->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
}

} // namespace quill::test

namespace quill::test {

QDateTime at(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

void trigger(Harness &h, const QString &name)
{
    auto *action = h.window().popupMenu()->findChild<QAction *>(name);
    QVERIFY2(action && action->isEnabled(), qPrintable(name));
    action->trigger();
}

SettingsWindow *openSettings(Harness &h)
{
    trigger(h, u"beallit"_qs);
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *s = qobject_cast<SettingsWindow *>(w))
            return s;
    }
    return nullptr;
}

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128 && c.isPrint())
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace quill::test
