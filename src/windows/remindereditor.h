#pragma once

#include "platform/services.h"
#include "reminders/datafile.h"
#include "reminders/table.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace quill {

class Lista;

/// The reminder editor: composes one reminder of one of the five kinds and appends it to the
/// table. Closing only hides it; it keeps its inputs for the whole run.
class Emlek : public QWidget {
    Q_OBJECT
public:
    Emlek(Services &services, ReminderBook &book, ReminderFile &file, QString egerkep1,
          QString egerkep2);
    ~Emlek() override;

    /// Chooses kind k exactly as a click on its button does.
    void pressKind(int k);
    /// The list window, created hidden on first reference.
    Lista *lista();
    /// The hint animation's step (every 150 ms).
    void animationTick();
    /// Hides this window and the list window for good, at the end of the program.
    void closeAll();
    int egerlepes() const { return m_egerlepes; }

private:
    void feltoltes();
    void modositas();
    void modositas2();
    void rogzit();
    void torles();
    void openList();

    void createKindButtons();
    void createInputs();
    void createAlertPickers();
    void createButtons();
    void kernevClick();
    void kernevValidate();
    void list1Click();
    void nameDayPrefill();
    void szhonapLeave();
    void sznapLeave();
    void tevLeave();
    void applyDay(bool lastDay, int position);
    int pickedNameIndex() const;
    QString list1Selected() const;
    void setDateRowVisible(bool visible);

    Services &m_services;
    ReminderBook &m_book;
    ReminderFile &m_file;
    QString m_egerkep1, m_egerkep2;
    QPixmap m_frame1, m_frame2;
    bool m_framesLoaded = false;
    int m_egerlepes = 0;
    QPointer<Lista> m_lista;

    std::array<QPushButton *, 5> m_kind{};
    std::array<QLabel *, 3> m_label1{};
    QFrame *m_frame1Box = nullptr;
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QPlainTextEdit *m_text3 = nullptr;
    QComboBox *m_kernev = nullptr;
    QListWidget *m_list1 = nullptr;
    QLabel *m_picture1 = nullptr;
    QLabel *m_picture2 = nullptr;
    QComboBox *m_tev = nullptr, *m_szhonap = nullptr, *m_sznap = nullptr;
    QComboBox *m_tora = nullptr, *m_tperc = nullptr;
    QComboBox *m_ev = nullptr, *m_honap = nullptr, *m_nap = nullptr;
    QComboBox *m_ora = nullptr, *m_perc = nullptr;
    std::array<QPushButton *, 4> m_buttons{};
    QTimer *m_timer1 = nullptr;
};

} // namespace quill
