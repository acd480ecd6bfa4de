#pragma once

#include "reminders/datafile.h"
#include "reminders/session.h"
#include "windows/mainwindow.h"
#include "windows/services.h"
#include "windows/settingswindow.h"

#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

namespace quill::test {

/// Records every message box instead of showing it; answers from a queue (No/OK when empty).
class RecordingBoxes final : public MessageBoxes {
public:
    struct Shown {
        MsgIcon icon;
        QString title;
        QString text;
        MsgButtons buttons;
        QString helpPage; ///< the page named for F1 (empty: none, the subject's page)
    };
    MsgAnswer show(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
                   MsgButtons buttons, const QString &helpPage) override;
    int choose(QWidget *parent, MsgIcon icon, const QString &title, const QString &text,
               const QStringList &choices, int defaultChoice, const QString &helpPage) override;
    QStringList helpPages; ///< the help page of each choice box, in order (empty: none)
    std::optional<QString> askText(QWidget *parent, const QString &title,
                                   const QString &label) override;
    QList<std::optional<QString>> typed; ///< answers to askText(), in order; cancelled when empty
    std::optional<QString> chooseFile(QWidget *parent, const QString &title,
                                      const QString &suggested, const QString &filter,
                                      bool saving) override;
    QStringList files; ///< answers to chooseFile(), in order; cancelled when empty
    void closeOpen() override { ++closed; }
    int closed = 0;
    QStringList texts() const;
    QList<Shown> shown;
    QList<MsgAnswer> answers;
    QList<int> choices; ///< answers to choose(), in order; the last choice (Esc) when empty
    std::function<void()> whileOpen; ///< runs "inside" the modal box
};

/// Stands in for the help window.
class FakeHelp final : public HelpViewer {
public:
    bool show(HelpView view) override
    {
        opened << view;
        return available;
    }
    bool showPage(const QString &page) override
    {
        pages << page;
        return available;
    }
    QList<HelpView> opened;
    QStringList pages; ///< the pages asked for, in order
    bool available = true;
};

/// Records what the desktop's notification list was sent.
class RecordingNotifier final : public Notifier {
public:
    void notify(const QString &title, const QString &text, quint64 token) override
    {
        sent << title + u'|' + text;
        tokens << token;
    }
    void withdraw(quint64 token) override { withdrawn << token; }
    QStringList sent;
    QList<quint64> tokens;
    QList<quint64> withdrawn;
};

/// An autostart entry kept in memory; `failWith` makes the next change fail with that error.
class FakeAutostart final : public Autostart {
public:
    bool enabled() const override { return on; }
    std::error_code setEnabled(bool value) override
    {
        if (failWith)
            return failWith;
        on = value;
        return {};
    }
    bool on = false;
    std::error_code failWith;
};

/// A keyring kept in memory, answering later as a real one does; `running` false: no keyring.
class FakeKeyring final : public Keyring {
public:
    void read(const QString &key, QObject *context, Done done) override
    {
        KeyringAnswer a = answer();
        if (a.status == KeyringAnswer::Status::Done && !entries.contains(key))
            a = {KeyringAnswer::Status::NotFound, {}, u"nincs ilyen jelszó"_qs};
        a.password = entries.value(key);
        later(context, done, a);
    }
    void write(const QString &key, const QString &password, QObject *context, Done done) override
    {
        const KeyringAnswer a = answer();
        if (a.status == KeyringAnswer::Status::Done)
            entries[key] = password;
        later(context, done, a);
    }
    void remove(const QString &key, QObject *context, Done done) override
    {
        const KeyringAnswer a = answer();
        if (a.status == KeyringAnswer::Status::Done)
            entries.remove(key);
        later(context, done, a);
    }
    QHash<QString, QString> entries;
    bool running = true;

private:
    KeyringAnswer answer() const
    {
        if (running)
            return {};
        return {KeyringAnswer::Status::NoKeyring, {}, u"nem fut kulcstartó"_qs};
    }
    static void later(QObject *context, const Done &done, const KeyringAnswer &a)
    {
        QMetaObject::invokeMethod(
            context, [done, a] { done(a); }, Qt::QueuedConnection);
    }
};

/// A program in a temporary folder, with a fixed clock and recorded messages.
class Harness {
public:
    /// `dataFolder`: where remembers.txt lies, when not beside the program; `stateFolder`: the
    /// XDG state folder (one of the harness's own when empty); `firstAnswers`: the answers to the
    /// boxes the start-up asks.
    explicit Harness(const QDateTime &now, const QLocale &locale = QLocale(QLocale::English),
                     const QByteArray *fileBytes = nullptr, bool withPictures = true,
                     const QString &dataFolder = {}, const QString &stateFolder = {},
                     const QList<MsgAnswer> &firstAnswers = {});
    ~Harness();

    QString path(const QString &name) const;
    QString dataPath() const { return m_dataPath; }
    QByteArray fileBytes() const;
    MainWindow &window() { return *m_window; }
    ReminderSession &session() { return *m_session; }

    template <typename T> T *find(const QString &name, QWidget *in = nullptr)
    {
        QWidget *root = in ? in : m_window.get();
        T *w = root->findChild<T *>(name);
        if (!w)
            qWarning("no widget %s", qPrintable(name));
        return w;
    }

    QTemporaryDir dir;
    ManualClock clock;
    RecordingBoxes boxes;
    FakeHelp help;
    RecordingNotifier notifier;
    FakeAutostart autostart;
    FakeKeyring keyring;
    std::unique_ptr<Services> services;
    std::unique_ptr<ReminderFile> file;

private:
    QString m_dataPath;
    std::unique_ptr<ReminderSession> m_session;
    std::unique_ptr<MainWindow> m_window;
};

/// A local date and time, to the minute.
QDateTime at(int year, int month, int day, int hour, int minute, int second = 0);
/// One reminder line of the data file: an "Egyéb" at every full hour.
inline const QByteArray oneReminder = "e| | |*|*|*|*|00| |x|1|0|\r\n";
/// Chooses an item of the main window's popup menu by its name, as a click would.
void trigger(Harness &h, const QString &name);
/// Opens Beállítások from the menu; the window, or null where none came.
SettingsWindow *openSettings(Harness &h);

/// Types a text, accents included, key by key.
void typeText(QWidget *widget, const QString &text);

/// Moves the focus away from a widget the way a user's Tab or click does.
void leave(QWidget *from, QWidget *to);

} // namespace quill::test
